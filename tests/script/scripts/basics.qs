* Statements, prefixes carried from line to line, computed words and signs.
* Lines starting with "*>" and "*!" give the dispatched statements and the user reports
* expected, in order; "*=" gives the result of the whole file.
echo: hello world
*> echo: hello world
again
*> echo: again
MOVE: - 5 + 3
*> move: -5 +3
$a = 2
$b = $a * 10
echo: $b
*> echo: 20
echo: 7 / 2
*> echo: 3.500000
echo: ( 1 + 2 ) * 3
*> echo: 9
$list = 1 2 3
echo: $list
*> echo: 1 2 3
echo: $list done
*> echo: $list done
echo: "quoted; not a comment" # but this is
*> echo: "quoted; not a comment"
* Braces cut a line into statements: the module word alone is a statement of its own.
echo: { one } two
*> echo:
*> echo: one
*> echo: two
*= 1
