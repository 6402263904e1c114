local n, s, perms = 9, 0, 0
for r = 0, 7 do
  local a, c = {}, {}
  for i = 0, n - 1 do a[i] = i + 1; c[i] = 0 end
  s = (s + a[0] * 3 + a[n - 1]) % 1000003
  perms = perms + 1
  local i = 1
  while i < n do
    if c[i] < i then
      local k
      if i % 2 == 0 then k = 0 else k = c[i] end
      a[k], a[i] = a[i], a[k]
      s = (s + a[0] * 3 + a[n - 1] * (a[4] + 1)) % 1000003
      perms = perms + 1
      c[i] = c[i] + 1
      i = 1
    else
      c[i] = 0
      i = i + 1
    end
  end
end
print("perms " .. perms .. " " .. s)
