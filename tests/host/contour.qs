* The sample module tags the bone of a phantom series; its contours are counted per tag and the
* first frame's loops drawn, alone and over the frame in the window.
$series = "$HOST_TEMP""/ct"
phantom: $series 2 64 CT
read: $series
db: generate 2
module: load threshold
module: list
select: all
threshold: 600 800 2
contour: 1
contour: 4
contour: draw "$HOST_TEMP""/contours.png" 4
window: size 192 192
window: mode one
window: zoom 3
render: "$HOST_TEMP""/contours_over_frame.png"
