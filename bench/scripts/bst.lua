local Tree = {}
Tree.__index = Tree
local function Node(key) return {key = key, left = nil, right = nil, count = 1} end
local function newTree() return setmetatable({root = nil, size = 0}, Tree) end
function Tree:insert(key)
  if self.root == nil then self.root = Node(key); self.size = self.size + 1; return end
  local n = self.root
  while true do
    if key == n.key then n.count = n.count + 1; return end
    if key < n.key then
      if n.left == nil then n.left = Node(key); self.size = self.size + 1; return end
      n = n.left
    else
      if n.right == nil then n.right = Node(key); self.size = self.size + 1; return end
      n = n.right
    end
  end
end
function Tree:find(key)
  local n = self.root
  while n ~= nil do
    if key == n.key then return n end
    if key < n.key then n = n.left else n = n.right end
  end
  return nil
end
local function removeMin(n)
  if n.left == nil then return n.right end
  n.left = removeMin(n.left)
  return n
end
local function minOf(n)
  while n.left ~= nil do n = n.left end
  return n
end
local function remove(n, key)
  if n == nil then return nil end
  if key < n.key then n.left = remove(n.left, key); return n end
  if key > n.key then n.right = remove(n.right, key); return n end
  if n.left == nil then return n.right end
  if n.right == nil then return n.left end
  local m = minOf(n.right)
  m.right = removeMin(n.right)
  m.left = n.left
  return m
end
local function height(n)
  if n == nil then return 0 end
  local a, b = height(n.left), height(n.right)
  if a > b then return 1 + a else return 1 + b end
end
local seed, s = 42, 0
local function rnd() seed = (seed * 1103 + 12345) % 65536; return seed end
for r = 0, 299 do
  local t = newTree()
  for i = 0, 999 do t:insert(rnd() % 30000) end
  local hits = 0
  for i = 0, 999 do if t:find(rnd() % 30000) ~= nil then hits = hits + 1 end end
  for i = 0, 299 do t.root = remove(t.root, rnd() % 30000) end
  s = (s + t.size + hits * 7 + height(t.root) * 1000) % 1000003
end
print("bst " .. s)
