* An OpenGL window without a display: opened at a size, text drawn, its picture saved.
gl: open 200 40
gl: text 4 26 hello from quarn
gl: save "$HOST_TEMP""/gl.png"
gl: close
