// Position through the matrix rows in cb0[0..3]; the colour passes through.
vs_4_0
isgn POSITION0 v0.xyzw
isgn Color0 v1.xyzw
osgn SV_Position0 o0.xyzw
osgn COLOR0 o1.xyzw
dcl_constantbuffer cb0[4], immediateIndexed
dcl_input v0.xyzw
dcl_input v1.xyzw
dcl_output_siv o0.xyzw, position
dcl_output o1.xyzw
dp4 o0.x, v0.xyzw, cb0[0].xyzw
dp4 o0.y, v0.xyzw, cb0[1].xyzw
dp4 o0.z, v0.xyzw, cb0[2].xyzw
dp4 o0.w, v0.xyzw, cb0[3].xyzw
mov o1.xyzw, v1.xyzw
ret
