// Seven taps along x with weights in c0..c6 and offsets in c10..c16, as a loop.
ps_3_0
dcl_texcoord0 v0.xy
dcl_2d s0
defi i0, 7, 0, 1, 0
mov r1, c20
loop aL, i0
add r2.xy, v0, c[aL + 10]
texld r3, r2, s0
mad r1, r3, c[aL].x, r1
endloop
mov oC0, r1
