-- A loop summing i % 7.
local s = 0
for i = 1, tonumber(arg[1]) do s = s + i % 7 end
print("CHECKSUM " .. s)
