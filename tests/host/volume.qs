* A synthetic CT series of 5 slices, grouped by patient and series, tested for a regular volume.
$series = "$HOST_TEMP""/volume"
phantom: $series 5 32 CT
read: $series
db: generate 2
volume: test
