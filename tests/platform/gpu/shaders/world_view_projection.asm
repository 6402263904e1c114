// Position through the matrix in c0..c3; the colour passes through.
vs_2_0
dcl_position v0
dcl_color v1
m4x4 oPos, v0, c0
mov oD0, v1
