-- frames: 5
function _draw()
  add({1}, 5, 3)
end
