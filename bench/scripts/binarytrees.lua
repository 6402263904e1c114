local function make(d)
  if d == 0 then return {l = nil, r = nil} end
  return {l = make(d - 1), r = make(d - 1)}
end
local function check(t)
  if t.l == nil then return 1 end
  return 1 + check(t.l) + check(t.r)
end
local maxDepth, minDepth, s = 10, 4, 0
s = check(make(maxDepth + 1))
local longLived = make(maxDepth)
for r = 1, 16 do
  for d = minDepth, maxDepth, 2 do
    local n = 1 << (maxDepth - d + minDepth)
    for i = 0, n - 1 do s = (s + check(make(d))) % 1000003 end
  end
end
s = (s + check(longLived)) % 1000003
print("binarytrees " .. s)
