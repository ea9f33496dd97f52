-- The same workload as workloads/text.lws: findword, stringlength and substring written with
-- Lua's plain string search.
local function findword(t, d, n)
  local start, k = 1, 1
  while true do
    local s, e = string.find(t, d, start, true)
    if k == n then return string.sub(t, start, (s or #t + 1) - 1) end
    if not s then return "" end
    start, k = e + 1, k + 1
  end
end

local function substring(t, p)
  return string.find(string.lower(t), string.lower(p), 1, true) or -1
end

local function text(n)
  local total = 0
  for i = 1, n do
    local word = findword("alpha,beta,gamma," .. tostring(i), ",", 4)
    total = total + #word + substring(word, "9")
  end
  return total
end
return text
