mesh: read cube.obj
pick: 0.25 0.75 5 0.25 0.75 4
pick: -3 0.5 0.5 -1 0.5 0.5
pick: 5 5 5 6 6 6
