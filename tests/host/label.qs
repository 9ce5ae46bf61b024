* Tags saved as a label volume, undone, loaded back as one undoable operation, and a volume of
* another size refused.
$series = "$HOST_TEMP""/ct"
$labels = "$HOST_TEMP""/tags.nrrd"
phantom: $series 2 16 CT
read: $series
db: generate 0
tag: fill 3 100
tag: count 3
label: save $labels
undo:
tag: count 3
label: load $labels
tag: count 3
undo: list
undo:
tag: count 3
label: load "label_4x4x1.nrrd"
tag: count 1
