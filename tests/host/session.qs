* A session of the reference host: modules, variables, a loop and a macro.
echo: start
$names = ann bob
for $n in ( $names )
echo: hello $n
$HOST_COUNTER = 2 + 3
echo: counter $HOST_COUNTER
@twice = for $k in ( 1 2 )
echo: twice $k
@twice
var: show $names
macro: list
