// The Mono filter: luminance by the weights in c0, plus what c1 adds to each channel.
ps_2_0
dcl t0.xy
dcl_2d s0
texld r0, t0, s0
dp3 r1.x, r0, c0
add_sat r2.xyz, r1.x, c1
mov r2.w, r0.w
mov oC0, r2
