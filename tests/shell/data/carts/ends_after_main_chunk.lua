-- frames: 5
-- no _init, _update, _update60, _draw or _mainloop: the program ends
printh("main chunk ran")
