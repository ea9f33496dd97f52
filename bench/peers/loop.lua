-- The same workload as workloads/loop.lws.
local function loop(n)
  local x = 0
  for i = 1, n do
    x = x + i * 2
  end
  return x
end
return loop
