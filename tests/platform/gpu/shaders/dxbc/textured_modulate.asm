// Texture colour times the interpolated colour.
ps_4_0
isgn SV_Position0 v0.xyzw used none
isgn COLOR0 v1.xyzw
isgn TEXCOORD0 v2.xy
osgn SV_Target0 o0.xyzw
dcl_sampler s0, mode_default
dcl_resource_texture2d (float,float,float,float) t0
dcl_input_ps linear v1.xyzw
dcl_input_ps linear v2.xy
dcl_output o0.xyzw
dcl_temps 1
sample r0.xyzw, v2.xyxx, t0.xyzw, s0
mul o0.xyzw, r0.xyzw, v1.xyzw
ret
