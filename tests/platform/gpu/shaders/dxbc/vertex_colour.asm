// The interpolated colour as it stands.
ps_4_0
isgn SV_Position0 v0.xyzw used none
isgn COLOR0 v1.xyzw
osgn SV_Target0 o0.xyzw
dcl_input_ps linear v1.xyzw
dcl_output o0.xyzw
mov o0.xyzw, v1.xyzw
ret
