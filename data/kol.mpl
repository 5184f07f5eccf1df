s+40:coast_c.map
s-40:coast_l.map
s+40:border_c.map
s-40:border_l.map
[10,-170,75,-50,120]
states_l.map
[]
