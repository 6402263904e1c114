local Task = {}
Task.__index = Task
local function Packet(dest, kind) return {link = nil, dest = dest, kind = kind, datum = 0} end
local function newTask(id, pri, kind)
  return setmetatable({id = id, pri = pri, kind = kind, head = nil, tail = nil, count = 0, sum = 0, next = nil}, Task)
end
function Task:enqueue(p)
  p.link = nil
  if self.tail == nil then self.head = p; self.tail = p
  else self.tail.link = p; self.tail = p end
end
function Task:dequeue()
  local p = self.head
  if p ~= nil then
    self.head = p.link
    if self.head == nil then self.tail = nil end
  end
  return p
end
local N, tasks, first = 12, {}, nil
for i = 0, N - 1 do tasks[i] = newTask(i, (i * 5) % 7, i % 3) end
for i = 0, N - 1 do
  local t = tasks[i]
  if first == nil or t.pri > first.pri then t.next = first; first = t
  else
    local q = first
    while q.next ~= nil and q.next.pri >= t.pri do q = q.next end
    t.next = q.next; q.next = t
  end
end
for i = 0, 39 do tasks[i % N]:enqueue(Packet(i % N, i % 4)) end
local steps, made = 0, 0
while steps < 1500000 do
  local t = first
  while t ~= nil and t.head == nil do t = t.next end
  if t == nil then break end
  local p = t:dequeue()
  t.count = t.count + 1
  steps = steps + 1
  if t.kind == 0 then
    p.datum = (p.datum + t.id + p.kind) % 1000
    p.dest = (t.id * 7 + p.datum) % N
  elseif t.kind == 1 then
    t.sum = (t.sum + p.datum) % 1000003
    p.kind = (p.kind + 1) % 4
    p.dest = (p.dest + 1 + p.kind) % N
  else
    if p.kind == 3 then p = Packet((t.id + 5) % N, 0); made = made + 1 end
    p.dest = (p.dest + 3) % N
  end
  tasks[p.dest]:enqueue(p)
end
local check = made
for i = 0, N - 1 do check = (check + tasks[i].count * (i + 1) + tasks[i].sum) % 1000003 end
print("sched " .. steps .. " " .. check)
