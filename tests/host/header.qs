* A phantom series opened through a scripted dialog answer, its header blocks printed in both
* layouts for the frame of the chosen file, then the file's records dropped.
$series = "$HOST_TEMP""/ct"
phantom: $series 3 16 MR
dialog: answer "$series""/IM_0001.dcm"
dialog: open 4
db: generate 0
header: ascii
header: db "IM_0001*"
dialog: drop IM_0001
