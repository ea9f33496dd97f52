-- Times one peer workload: lua5.4 time.lua WORKLOAD ARG REPEATS. Prints the median time of
-- REPEATS runs in nanoseconds, as the interpreter benchmarks report theirs.
local name, arg, repeats = arg[1], tonumber(arg[2]), tonumber(arg[3] or "5")
local dir = string.match(debug.getinfo(1, "S").source, "^@(.*)/") or "."
local workload = dofile(dir .. "/" .. name .. ".lua")
local times = {}
for i = 1, repeats do
  local start = os.clock()
  workload(arg)
  times[i] = os.clock() - start
end
table.sort(times)
print(string.format("%.0f", times[(repeats + 1) // 2] * 1e9))
