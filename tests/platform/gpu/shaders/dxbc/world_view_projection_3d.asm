// A 3D vertex (position and colour) through world, view and projection where the back
// end keeps them: world rows at cb0[11..13], view rows at cb0[8..10], projection rows at
// cb0[4..7]. The colour passes through.
vs_4_0
isgn POSITION0 v0.xyz
isgn COLOR0 v1.xyzw
osgn SV_Position0 o0.xyzw
osgn COLOR0 o1.xyzw
dcl_constantbuffer cb0[14], immediateIndexed
dcl_input v0.xyz
dcl_input v1.xyzw
dcl_output_siv o0.xyzw, position
dcl_output o1.xyzw
dcl_temps 2
mov r0.xyz, v0.xyzx
mov r0.w, l(1.0)
dp4 r1.x, r0.xyzw, cb0[11].xyzw
dp4 r1.y, r0.xyzw, cb0[12].xyzw
dp4 r1.z, r0.xyzw, cb0[13].xyzw
mov r1.w, l(1.0)
dp4 r0.x, r1.xyzw, cb0[8].xyzw
dp4 r0.y, r1.xyzw, cb0[9].xyzw
dp4 r0.z, r1.xyzw, cb0[10].xyzw
dp4 o0.x, r0.xyzw, cb0[4].xyzw
dp4 o0.y, r0.xyzw, cb0[5].xyzw
dp4 o0.z, r0.xyzw, cb0[6].xyzw
dp4 o0.w, r0.xyzw, cb0[7].xyzw
mov o1.xyzw, v1.xyzw
ret
