-- The same workload as workloads/chain.lws: hit() is found two levels up a chain of three, as an
-- event message finds a handler in the system script from an actor's, here through __index.
local system = { hit = function(a, b) return a - b end }
local cast = setmetatable({ gather = function(who) return who end }, { __index = system })
local actor = setmetatable({}, { __index = cast })
local function chain(n)
  local total = 0
  for i = 1, n do
    total = total + actor.hit(i, 2)
  end
  return total
end
return chain
