local function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end
local s = 0
for r = 0, 79 do s = (s + fib(25)) % 1000003 end
print("fib " .. s)
