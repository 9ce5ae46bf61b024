* The second host of the road: the saved session replayed over the same series, its tags saved
* beside the first host's.
script: run "road-session.qs"
label: save "road-replay.nrrd"
tag: sum
