local a, s = {}, 0
for r = 0, 239999 do
  for i = 0, 63 do a[i + 1] = i * 3 + r end
  for i = 0, 63 do s = (s + a[i + 1]) % 1000003 end
end
print("arrays " .. s)
