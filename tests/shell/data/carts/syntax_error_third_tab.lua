-- frames: 2
x = 1
-->8
y = 2
-->8
z = 3
w = = 4
