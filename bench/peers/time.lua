-- Times one peer workload: lua5.4 time.lua WORKLOAD ARG REPEATS. Prints the best time of
-- REPEATS runs in nanoseconds.
local name, arg, repeats = arg[1], tonumber(arg[2]), tonumber(arg[3] or "5")
local dir = string.match(debug.getinfo(1, "S").source, "^@(.*)/") or "."
local workload = dofile(dir .. "/" .. name .. ".lua")
local best = math.huge
for _ = 1, repeats do
  local start = os.clock()
  workload(arg)
  best = math.min(best, os.clock() - start)
end
print(string.format("%.0f", best * 1e9))
