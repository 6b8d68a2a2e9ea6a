-- String building; a new string every 1,000 appends, measured with len, find and sub.
local s, total, k = "", 0, 0
for i = 1, tonumber(arg[1]) do
    s = s .. string.char(65 + i % 26)
    k = k + 1
    if k == 1000 then
        total = total + #s + (string.find(s, "XYZ", 1, true) or 0) + string.byte(s, 500)
        s, k = "", 0
    end
end
print("CHECKSUM " .. (total + #s))
