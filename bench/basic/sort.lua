-- Bubble sort of an array filled by a linear congruential generator.
local m = tonumber(arg[1])
local a, seed = {}, 42
for i = 1, m do
    seed = seed * 16807 % 2147483647
    a[i] = seed
end
for i = 1, m - 1 do
    for j = 1, m - i do
        if a[j] > a[j + 1] then a[j], a[j + 1] = a[j + 1], a[j] end
    end
end
local chk = 0
for i = 1, m do chk = (chk + (a[i] % 1000) * i) % 1000000 end
print("CHECKSUM " .. chk)
