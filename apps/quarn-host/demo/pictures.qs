* The demo's pictures: the phantom CT series as a tree list with thumbnails, one slice at a
* larger zoom with the bright tissue tagged over its grey levels, and the series in 3D with a ball.
$series = "$HOST_TEMP""/ct"
phantom: $series 6 64 CT
read: $series
db: generate 2
* Selected frames are drawn in all colour channels, the others in red only.
select: all
window: size 640 400
window: mode all
render: "quarn-demo-tree.png"
tag: fill 3 1300
tag: count 3
window: mode one
window: size 320 320
window: zoom 4.5
window: scheme 1
render: "quarn-demo-frame.png"
* The series in a 3D window, with a ball that crosses its middle slices drawn where it lies.
mesh: read ball.obj
window: mode 3d
window: size 400 400
render: "quarn-demo-3d.png"
