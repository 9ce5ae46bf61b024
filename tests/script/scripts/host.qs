* Host variables: read, written, and refused.
echo: $Q_INT
*> echo: 3
$Q_INT = 4 + 1
echo: $Q_INT
*> echo: 5
$Q_RO = 1
*! WARNING: variable $Q_RO is READ_ONLY
echo: $Q_RO
*> echo: 7
$Q_PROG = 1
*! WARNING: Unlisted variable!
*! $Q_PROG can only be access by the program
for $v in ( $Q_ARR )
echo: $v
*> echo: 10
*> echo: 20
*> echo: 30
$Q_ARR[1] = 99
echo: $Q_ARR
*> echo: 10 99 30
$Q_ARR = 1 2
*! ERROR: number of arguments mismatch for variable $Q_ARR (expect:3, got:2)
*= 1
