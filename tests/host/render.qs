* A phantom series drawn as a tree list and as one frame at a zoom, each written as PNG.
$series = "$HOST_TEMP""/ct"
phantom: $series 3 32 CT
read: $series
db: generate 1
window: size 320 200
render: 0 "$HOST_TEMP""/tree.png"
window: mode one
window: zoom 2.5
window: pan 4 4
window: scheme 3
render: "$HOST_TEMP""/frame.png"
