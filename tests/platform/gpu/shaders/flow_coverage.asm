// Every flow-control form and operand shape the lister writes back.
vs_3_0
dcl_position v0
dcl_texcoord3 v1
dcl_position o0
dcl_texcoord1 o1.xy
def c200, 0.5, -1.25, 3e+07, 0
defi i1, 4, 2, -1, 0
defb b3, true
mova a0.xy, v1
mov r0, c[a0.y + 4]
(!p0.z) add_sat r1.xw, -r0_abs.yzwx, c200.z
setp_ne p0, r1, c0
if p0.x
rep i1
break_lt r1.x, c1.y
endrep
else
loop aL, i1
mov o[aL + 1].x, r1
endloop
endif
if_ge v0.z, r0.w
sincos r2.xy, r0.w
endif
callnz l2, !b3
call l1
m3x2 r3.xy, r2, c8
lit r4, r3
mov o0, r4
ret
label l1
sgn r5, r4, r6, r7
ret
label l2
nrm r6.xyz, -r4
ret
