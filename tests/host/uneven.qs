* A series with an uneven step (slices at 0, 202.5, 203.75 and 205 mm along the normal) and a
* second series in a subfolder: the folder is read with its subfolder, the uneven series comes
* apart into evenly spaced records, and every frame lists its own file's position.
$patient = "$HOST_TEMP""/uneven_patient"
phantom: $patient 4 16 CT 0,202.5,203.75,205
phantom: "$patient""/second" 3 8 CT
read: $patient
db: generate 0
db: frames
