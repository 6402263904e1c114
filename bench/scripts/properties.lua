local o = {x = 1, y = 2, z = 0}
for i = 0, 9999999 do
  o.z = (o.x + o.y + o.z) % 1000003
  o.x = o.y
  o.y = i % 7
end
print("properties " .. o.z)
