// Definitions whose literal words equal the end word 0x0000FFFF, with the comment of a
// constant table before them: only a walk by each instruction's length finds the end.
ps_3_0
ctab tint, float4, 1, 1
dcl_texcoord0 v0.xy
defi i0, 65535, 0, 65535, 0
defi i1, 2, 0, 1, 0
defb b0, true
mov r0, c1
rep i1
add r0, r0, v0.xyxy
endrep
if b0
mov r0.w, c1.w
endif
mov oC0, r0
