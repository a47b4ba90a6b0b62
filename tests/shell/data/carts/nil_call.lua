-- frames: 5
-- a call of a missing function inside _update
function _update()
  missing_function()
end
