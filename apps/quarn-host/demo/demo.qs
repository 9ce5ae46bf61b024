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
