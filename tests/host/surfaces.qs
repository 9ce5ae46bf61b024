# A surface placed in the 3D tree and drawn lit in a 3D window; landmarks added, moved, listed and
# deleted by name; burning with no frame loaded burns nothing.
mesh: read cube.obj
window: mode 3d
window: size 160 120
render: "$HOST_TEMP""/cube3d.png"
point: add 0.5 0.5 1 apex
point: move apex 0.25 0.75 1
point: list
point: delete apex
point: list
burn:
