// The Invert filter: one minus each colour channel, alpha kept.
ps_4_0
isgn SV_Position0 v0.xyzw used none
isgn TEXCOORD0 v1.xy
osgn SV_Target0 o0.xyzw
dcl_sampler s0, mode_default
dcl_resource_texture2d (float,float,float,float) t0
dcl_input_ps linear v1.xy
dcl_output o0.xyzw
dcl_temps 1
sample r0.xyzw, v1.xyxx, t0.xyzw, s0
add o0.xyz, -r0.xyzx, l(1.0, 1.0, 1.0, 0.0)
mov o0.w, r0.w
ret
