* Tags filled over every frame by dispatched work, then undone and redone from the ring.
$series = "$HOST_TEMP""/ct"
phantom: $series 2 16 CT
read: $series
db: generate 0
tag: fill 3
tag: count 3
undo: list
undo:
tag: count 3
redo:
tag: count 3
