local seed = 7
local function rnd() seed = (seed * 1103 + 12345) % 65536; return seed end
local function build(n)
  local head = nil
  for i = 0, n - 1 do head = {v = rnd(), next = head} end
  return head
end
local function reverse(l)
  local prev = nil
  while l ~= nil do local next = l.next; l.next = prev; prev = l; l = next end
  return prev
end
local function merge(a, b)
  local head = {v = 0, next = nil}
  local tail = head
  while a ~= nil and b ~= nil do
    if a.v <= b.v then tail.next = a; a = a.next
    else tail.next = b; b = b.next end
    tail = tail.next
  end
  if a ~= nil then tail.next = a else tail.next = b end
  return head.next
end
local function sort(l)
  if l == nil or l.next == nil then return l end
  local slow, fast = l, l.next
  while fast ~= nil and fast.next ~= nil do slow = slow.next; fast = fast.next.next end
  local right = slow.next
  slow.next = nil
  return merge(sort(l), sort(right))
end
local function fold(l)
  local s, k = 0, 1
  while l ~= nil do s = (s + l.v * k) % 1000003; k = k % 1000 + 1; l = l.next end
  return s
end
local s = 0
for r = 0, 59 do
  local l = build(5000)
  l = reverse(l)
  s = (s + fold(l)) % 1000003
  l = sort(l)
  s = (s + fold(l)) % 1000003
end
print("lists " .. s)
