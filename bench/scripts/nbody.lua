local bodies, n = {}, 6
for i = 0, n - 1 do
  bodies[i] = {x = i * 1.5 - 3.0, y = (i % 3) * 0.75, vx = (i % 2) * 0.1, vy = 0.05 * i, m = 1.0 + i * 0.25}
end
local function advance(dt)
  for k = 0, n - 1 do
    local a = bodies[k]
    for l = k + 1, n - 1 do
      local b = bodies[l]
      local dx = a.x - b.x
      local dy = a.y - b.y
      local d2 = dx * dx + dy * dy + 0.01
      local f = dt / d2
      a.vx = a.vx - dx * b.m * f
      a.vy = a.vy - dy * b.m * f
      b.vx = b.vx + dx * a.m * f
      b.vy = b.vy + dy * a.m * f
    end
  end
  for k = 0, n - 1 do
    local a = bodies[k]
    a.x = a.x + dt * a.vx
    a.y = a.y + dt * a.vy
  end
end
local function energy()
  local e = 0.0
  for k = 0, n - 1 do local a = bodies[k]; e = e + 0.5 * a.m * (a.vx * a.vx + a.vy * a.vy) end
  return e
end
for step = 0, 149999 do advance(0.001) end
local cx, cy, mass = 0.0, 0.0, 0.0
for i = 0, n - 1 do cx = cx + bodies[i].x * bodies[i].m; cy = cy + bodies[i].y * bodies[i].m; mass = mass + bodies[i].m end
print("nbody " .. math.floor(energy() * 1000000.0) .. " " .. math.floor((cx / mass + 100.0) * 1000000.0) .. " " .. math.floor((cy / mass + 100.0) * 1000000.0))
