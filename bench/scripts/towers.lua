local pegs, moves, bad, s = nil, 0, 0, 0
local function move(n, from, to, via)
  if n == 0 then return end
  move(n - 1, from, via, to)
  local f = pegs[from]
  local d = f[#f]
  f[#f] = nil
  local p = pegs[to]
  if #p > 0 and p[#p] < d then bad = bad + 1 end
  p[#p + 1] = d
  moves = moves + 1
  s = (s + d * (to + 1)) % 1000003
  move(n - 1, via, to, from)
end
for r = 0, 3 do
  pegs = {[0] = {}, {}, {}}
  for i = 18, 1, -1 do pegs[0][#pegs[0] + 1] = i end
  move(18, 0, 2, 1)
  s = (s + #pegs[2] + pegs[2][1]) % 1000003
end
print("towers " .. moves .. " " .. bad .. " " .. s)
