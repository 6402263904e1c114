ps_3_0
ctab colour, float4, 0, 1
mov oC0, c0
