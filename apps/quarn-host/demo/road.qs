* The segmentation road: a phantom CT series read and grouped, its bone tagged by a threshold,
* a brush stroke painted, undone and painted again along another path, the contours of the tags
* drawn, and the whole session saved as a script that a second host replays.
phantom: ct 6 64 CT
read: ct
db: generate 2
select: all
module: load threshold
module: load brush
* Bone (the denser sphere) lies from 500 to 1500 Hounsfield units: every slice is tagged.
threshold: 500 1500 1
tag: count 1
window: size 640 400
window: mode all
window: scheme 1
render: "road-tree.png"
* A click on the third thumbnail selects that slice alone, which cuts the bone widest, and
* makes it the current one.
select: none
pointer: press 258 297
pointer: release 258 297
window: mode one
window: size 320 320
window: zoom 4.5
* A stroke of tag 2 across the lower body, from the left to the right.
brush: tag 2
brush: radius 3
pointer: press 60 80
pointer: drag 120 110
pointer: drag 200 100
pointer: release 250 110
tag: count 2
undo:
tag: count 2
* The same tag along a path through the bone: its tag 1 is locked, so the stroke leaves it.
tag: lock 1 on
pointer: press 40 198
pointer: drag 120 200
pointer: drag 200 190
pointer: release 250 190
tag: lock 1 off
tag: count 1
tag: count 2
contour: 1
render: "road-frame.png"
contour: draw "road-contours.png" 4
* The label volume holds the whole series.
select: all
script: save "road-session.qs"
label: save "road-first.nrrd"
tag: sum
