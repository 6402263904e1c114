local n, count, last = 200000, 0, 0
for r = 0, 23 do
  local flags = {}
  for i = 0, n do flags[#flags + 1] = true end
  flags[1] = false
  flags[2] = false
  local i = 2
  while i * i <= n do
    if flags[i + 1] then
      for j = i * i, n, i do flags[j + 1] = false end
    end
    i = i + 1
  end
  count = 0
  for i = 0, n do if flags[i + 1] then count = count + 1; last = (last + i) % 1000003 end end
end
print("sieve " .. count .. " " .. last)
