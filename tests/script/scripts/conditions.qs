* Conditions: an else needs its if still open, so chains live inside a block.
$x = 5
{
if ( $x < 3 )
echo: small
else if ( $x < 10 )
echo: medium
else
echo: large
}
*> echo: medium
{
if ( $x > 1 )
{
echo: big
echo: really
}
else
{
echo: no
}
}
*> echo: big
*> echo: really
* A test is true unless its value begins with "0".
if ( abc )
echo: text is true
*> echo: text is true
if ( 0.5 )
echo: never
if ( 0 )
echo: never
* Texts compare by character codes.
$name = bob
if ( $name > abc )
echo: after abc
*> echo: after abc
* A loop inside a condition inside a loop.
for $i in ( 1 2 3 )
if ( $i > 1 )
for $j in ( x )
echo: $i$j
*> echo: 2x
*> echo: 3x
*= 1
