local V, K, adj, dom, colour, trail = 20, 4, {}, {}, {}, {}
for v = 0, V - 1 do adj[v] = {}; dom[v] = (1 << K) - 1; colour[v] = -1 end
local function link(a, b)
  if a == b then return end
  local l = adj[a]
  for j = 1, #l do if l[j] == b then return end end
  l[#l + 1] = b
  local m = adj[b]
  m[#m + 1] = a
end
for v = 0, V - 1 do link(v, (v + 1) % V); link(v, (v * 7 + 3) % V); link(v, (v * 5 + 2) % V) end
local nodes, solutions, sumColours = 0, 0, 0
local function solve(v)
  nodes = nodes + 1
  if v == V then
    solutions = solutions + 1
    for k = 0, V - 1 do sumColours = (sumColours + colour[k] * (k + 1)) % 1000003 end
    return
  end
  local d, l = dom[v], adj[v]
  for c = 0, K - 1 do
    if ((d >> c) & 1) ~= 0 then
      colour[v] = c
      local mark = #trail
      local ok = true
      for j = 1, #l do
        local w = l[j]
        if w > v and ((dom[w] >> c) & 1) == 1 then
          trail[#trail + 1] = w
          dom[w] = dom[w] - (1 << c)
          if dom[w] == 0 then ok = false; break end
        end
      end
      if ok then solve(v + 1) end
      while #trail > mark do local w = trail[#trail]; trail[#trail] = nil; dom[w] = dom[w] + (1 << c) end
    end
  end
  colour[v] = -1
end
solve(0)
print("solver " .. nodes .. " " .. solutions .. " " .. sumColours)
