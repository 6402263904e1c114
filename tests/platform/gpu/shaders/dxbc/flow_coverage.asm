// Every flow construct and the integer forms once: a seed that reaches each decoder path.
ps_5_0
isgn SV_Position0 v0.xyzw
isgn TEXCOORD0 v1.xyzw
isgn SV_IsFrontFace0 v2.x uint
osgn SV_Target0 o0.xyzw
osgn SV_Depth0 oDepth
dcl_globalFlags refactoringAllowed
dcl_constantbuffer cb0[4], dynamicIndexed
dcl_sampler s0, mode_default
dcl_sampler s1, mode_comparison
dcl_resource_texture2d (float,float,float,float) t0
dcl_resource_texturecube (float,float,float,float) t1
dcl_resource_texture2darray (float,float,float,float) t2
dcl_input_ps_siv linear noperspective v0.xy, position
dcl_input_ps linear centroid v1.xyzw
dcl_input_ps_sgv constant v2.x, is_front_face
dcl_output o0.xyzw
dcl_output oDepth
dcl_temps 4
dcl_indexableTemp x0[4], 4
dcl_immediateConstantBuffer { { 1.0, 0, 0, 0 },
  { 0.5, 0, 0, 0 } }
ftoi r0.x, v1.w
and r0.x, r0.x, l(3)
mov x0[r0.x + 0].xyzw, v1.xyzw
mov r1.xyzw, icb[r0.x + 0].xxxx
switch r0.x
case l(0)
sample r2.xyzw, v1.xyxx, t0.xyzw, s0
break
case l(1)
sample_l r2.xyzw, v1.xyzx, t1.xyzw, s0, l(0.0)
break
case l(2)
sample_b r2.xyzw, v1.xyzx, t2.xyzw, s0, l(1.0)
break
default
sample_c_lz r2.x, v1.xyxx, t0.xxxx, s1, v1.z
ld r2.yzw, l(0, 0, 0, 0), t0.xyzw
endswitch
loop
iadd r0.x, r0.x, l(1)
uge r0.y, r0.x, l(6)
breakc_nz r0.y
and r0.z, r0.x, l(1)
continuec_z r0.z
deriv_rtx_coarse r3.xy, v1.xyxx
deriv_rty_fine r3.zw, v1.xxxy
if_nz v2.x
mad r2.xyzw, r3.xyzw, cb0[r0.x + 0].xyzw, r2.xyzw
else
movc r2.xyzw, r0.zzzz, r2.wzyx, r2.xyzw
endif
endloop
discard_z r0.x
mul_sat o0.xyzw, r2.xyzw, r1.xyzw
mov oDepth, x0[1].z
ret
