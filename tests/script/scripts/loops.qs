* Loops over values and arrays, nested, with and without braces.
for $i in ( 1 2 3 )
echo: $i
*> echo: 1
*> echo: 2
*> echo: 3
$names = ann bob
for $n in ( x $names y )
{
echo: $n
step: $n
}
*> echo: x
*> step: x
*> echo: ann
*> step: ann
*> echo: bob
*> step: bob
*> echo: y
*> step: y
for $i in ( 1 2 )
for $j in ( a b )
echo: $i$j
*> echo: 1a
*> echo: 1b
*> echo: 2a
*> echo: 2b
* The loop variable keeps its last value.
echo: $i
*> echo: 2
for $i in ( ( p q ) r )
echo: $i
*> echo: (
*> echo: p
*> echo: q
*> echo: )
*> echo: r
*= 1
