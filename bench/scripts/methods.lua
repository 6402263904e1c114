local Counter = {}
Counter.__index = Counter
function Counter.new(step) return setmetatable({n = 0, step = step}, Counter) end
function Counter:add(k) self.n = (self.n + self.step * k) % 1000003 return self.n end
local c, s = Counter.new(3), 0
for i = 0, 9999999 do s = c:add(i) end
print("methods " .. s)
