// Pixel-program forms: texture-read variants, derivatives, discard, vPos and vFace.
ps_3_0
ctab weights, float4, 4, 3
ctab source, sampler, 0, 1
dcl_texcoord0 v0
dcl_color1 v3.xyz
dcl_2d s0
dcl_cube s5
dcl vPos.xy
dcl vFace
texldp r0, v0, s0
texldb_pp r1, v0, s5
texldl r2, v0, s0
dsx r3, v0
dsy r4, v0.yxwz
texldd r5, v0, s0, r3, r4
texkill r5.xyz
cmp r6, vFace, vPos.x, v3
dp2add r7.x, r6, r5, c4.w
mov oDepth, r7.x
mov oC1, r6
mov oC0, r0
