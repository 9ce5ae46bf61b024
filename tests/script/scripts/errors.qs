* A failing line does not stop the file; the file's result is 0.
echo: before
*> echo: before
}
*! ERROR: mismatched brackets
*! file: <file>
*! line: 4
fail: this one
*> fail: this one
echo: after
*> echo: after
@nothing
*! ERROR: reading script !
*! file: <file>
*! line: 12
*! Syntax error
*! unable to locate macro @nothing
if ( 0 )
echo: no
else
*! ERROR: mismatched if/else
*! file: <file>
*! line: 20
echo: last
*> echo: last
*= 0
