* The bundled demo: variables, loops, conditions and macros, as a user would type them.
echo: quarn reference host
var: show $TAG_NB $WINDOW_MAX
$total = 0
for $i in ( 1 2 3 4 5 )
$total = $total + $i
echo: sum of 1..5 is $total
{
if ( $total > 10 )
echo: more than ten
else
echo: ten or less
}
@greet = echo: hello from a macro
@greet
macro: list
* A synthetic CT series of 6 slices: written, read back, grouped by patient and series,
* dumped as a tree and listed frame by frame with its patient-space geometry.
$series = "$HOST_TEMP""/ct"
phantom: $series 6 64 CT
read: $series
db: generate 2
db: dump
db: frames
