// The Invert filter: one minus each colour channel, alpha kept.
ps_2_0
dcl t0.xy
dcl_2d s0
def c10, 1, 1, 1, 0
texld r0, t0, s0
add r1.xyz, c10, -r0
mov r1.w, r0.w
mov oC0, r1
