// The Mono filter: luminance by the weights in cb3[0], plus what cb3[1] adds to each channel
// (the slot the Direct3D 11 back end binds filter constants to).
ps_4_0
isgn SV_Position0 v0.xyzw used none
isgn TEXCOORD0 v1.xy
osgn SV_Target0 o0.xyzw
dcl_constantbuffer cb3[2], immediateIndexed
dcl_sampler s0, mode_default
dcl_resource_texture2d (float,float,float,float) t0
dcl_input_ps linear v1.xy
dcl_output o0.xyzw
dcl_temps 2
sample r0.xyzw, v1.xyxx, t0.xyzw, s0
dp3 r1.x, r0.xyzx, cb3[0].xyzx
add_sat o0.xyz, r1.xxxx, cb3[1].xyzx
mov o0.w, r0.w
ret
