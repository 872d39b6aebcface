unquoted name,  7 ,8	,9
"q"after,1,2,3
"never closed,1,2,3
