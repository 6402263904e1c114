local function adder(k) return function(x) return x + k end end
local s = 0
for i = 0, 2999999 do
  local f = adder(i % 100)
  s = (s + f(i)) % 1000003
end
print("closures " .. s)
