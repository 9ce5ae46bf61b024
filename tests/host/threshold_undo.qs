* The sample module's tags become one undo command: undo gives every pixel its old tag back,
* also where the module wrote over tags set before it.
$series = "$HOST_TEMP""/ct"
phantom: $series 2 16 CT
read: $series
db: generate 0
module: load threshold
select: all
tag: fill 3 700
tag: count 3
tag: count 0
threshold: 600 800 2
tag: count 2
tag: count 3
undo: list
undo:
tag: count 2
tag: count 3
tag: count 0
