-- The same work as array_methods.kvj: table.sort with a comparator, a
-- hand-written merge sort, and map, filter and reduce as functions and loops.
local seed = 12345
local function nxt() seed = (seed * 75 + 74) % 65537; return seed end
local source = {}
for i = 1, 1000 do source[i] = nxt() end
local function le(a, b) return a <= b end
local function copyOf(a) local c = {} for i = 1, #a do c[i] = a[i] end return c end

local checkA, checkB = 0, 0
for r = 1, 100 do
  local a = copyOf(source)
  table.sort(a, function(x, y) return x < y end)
  checkA = (checkA + a[1] + a[1000] + a[501]) % 1000003
end

local scratch = {}
local function mergeSort(a, lo, n)
  if n < 2 then return end
  local h = n >> 1
  mergeSort(a, lo, h)
  mergeSort(a, lo + h, n - h)
  local p, q = lo, lo + h
  for k = 0, n - 1 do
    if q >= lo + n or (p < lo + h and le(a[p], a[q])) then scratch[k] = a[p]; p = p + 1
    else scratch[k] = a[q]; q = q + 1 end
  end
  for k = 0, n - 1 do a[lo + k] = scratch[k] end
end
for r = 1, 100 do
  local b = copyOf(source)
  mergeSort(b, 1, 1000)
  checkB = (checkB + b[1] + b[1000] + b[501]) % 1000003
end

local big = {}
for i = 0, 9999 do big[i + 1] = i end
local function twice(x) return x * 2 end
local function odd(x) return x % 2 ~= 0 end
local function add(s, x) return (s + x) % 1000003 end
local function map(t, fn) local o = {} for i = 1, #t do o[#o + 1] = fn(t[i]) end return o end
local function filter(t, fn) local o = {} for i = 1, #t do if fn(t[i]) then o[#o + 1] = t[i] end end return o end
local function reduce(t, fn) local s = t[1] for i = 2, #t do s = fn(s, t[i]) end return s end
local sumA, sumB = 0, 0
for r = 1, 10 do sumA = (sumA + #filter(map(big, twice), odd) + reduce(filter(big, odd), add)) % 1000003 end
for r = 1, 10 do
  local m, f, g = {}, {}, {}
  for i = 1, #big do m[#m + 1] = twice(big[i]) end
  for i = 1, #m do if odd(m[i]) then f[#f + 1] = m[i] end end
  for i = 1, #big do if odd(big[i]) then g[#g + 1] = big[i] end end
  local s = g[1]
  for i = 2, #g do s = add(s, g[i]) end
  sumB = (sumB + #f + s) % 1000003
end
print("array methods " .. checkA .. " " .. checkB .. " " .. sumA .. " " .. sumB)
