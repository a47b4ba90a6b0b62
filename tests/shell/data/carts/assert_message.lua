-- frames: 5
function _init()
  assert(1 > 2, "the world is upside down")
end
