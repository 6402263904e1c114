// The seven taps of blur_loop.asm written out one by one.
ps_3_0
dcl_texcoord0 v0.xy
dcl_2d s0
mov r1, c20
add r2.xy, v0, c10
texld r3, r2, s0
mad r1, r3, c0.x, r1
add r2.xy, v0, c11
texld r3, r2, s0
mad r1, r3, c1.x, r1
add r2.xy, v0, c12
texld r3, r2, s0
mad r1, r3, c2.x, r1
add r2.xy, v0, c13
texld r3, r2, s0
mad r1, r3, c3.x, r1
add r2.xy, v0, c14
texld r3, r2, s0
mad r1, r3, c4.x, r1
add r2.xy, v0, c15
texld r3, r2, s0
mad r1, r3, c5.x, r1
add r2.xy, v0, c16
texld r3, r2, s0
mad r1, r3, c6.x, r1
mov oC0, r1
