local t, n = "", 0
for k = 0, 239999 do
  t = ""
  for i = 0, 19 do t = t .. i .. "," end
  n = n + 1
end
print("strings " .. n .. " " .. t)
