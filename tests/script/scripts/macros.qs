* Macros in their three forms, calls, and prefix carrying.
@greet = echo: hello
@greet
*> echo: hello
* A one-line macro without prefix goes to the module of the previous statement.
@bare = plain words
move: 1
@bare
*> move: 1
*> move: plain words
* The name and the equals sign alone, then a block.
@pair =
{
echo: one
echo: two
}
echo: top level again
*> echo: top level again
@pair
*> echo: one
*> echo: two
* A loop header with three values, then its body.
@thrice = for $k in ( a b c )
echo: k$k
@thrice
*> echo: ka
*> echo: kb
*> echo: kc
* A call inside a block reaches the host as an ordinary statement.
{
@greet
}
*> echo: @greet
* Redefinition replaces the content.
@greet = echo: hi again
@greet
*> echo: hi again
* A definition inside a block takes effect when the block runs.
{
@inner = echo: from inside
echo: defined
}
*> echo: defined
@inner
*> echo: from inside
*= 1
