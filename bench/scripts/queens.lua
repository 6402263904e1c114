local N, cols, d1, d2, solutions, placed = 9, {}, {}, {}, 0, 0
for i = 0, N - 1 do cols[i] = false end
for i = 0, 2 * N - 1 do d1[i] = false; d2[i] = false end
local function place(row)
  if row == N then solutions = solutions + 1; return end
  for c = 0, N - 1 do
    if not cols[c] and not d1[row + c] and not d2[row - c + N] then
      cols[c] = true; d1[row + c] = true; d2[row - c + N] = true
      placed = placed + 1
      place(row + 1)
      cols[c] = false; d1[row + c] = false; d2[row - c + N] = false
    end
  end
end
for r = 0, 99 do place(0) end
print("queens " .. solutions .. " " .. placed)
