/* Grammar of the script language. One alternative per rule, in rule-number
   order, so that bison's rule n is the parser's rule n and "earlier rule wins"
   settles the reduce/reduce conflicts the way the language wants. Bison only
   builds the automaton from this file; tools/gen_parse_tables.py turns its XML
   report into the tables of runtime/compiler/parser.cpp, which runs its own
   recovering parse loop and actions. */

%token RETURN 257 WAIT 258 IF 259 ELSE 260 SWITCH 261 CASE 262 DEFAULT 263 FOR 264
%token WHILE 266 BREAK 267 CONTINUE 268 NEW 269 TRY 270 CATCH 271 FINALLY 272
%token THROW 273 FUNCTION 274 FUNCTION_STMT 275 VAR 276 CONST 277 MINUS 278
%token TILDE 280 NOT 281 PLUS 282 STAR 283 SLASH 284 PERCENT 285 DELETE 286
%token TYPEOF 287 IN 288 INSTANCEOF 289 LT 290 GT 291 CARET 292 ASSIGN 293
%token AMP 294 BAR 295 INC 296 DEC 297 EQ 298 NE 299 ADD_ASSIGN 300
%token SUB_ASSIGN 301 MUL_ASSIGN 302 DIV_ASSIGN 303 MOD_ASSIGN 304 AND_ASSIGN 305
%token OR_ASSIGN 306 XOR_ASSIGN 307 SHL 308 SHR 309 AND 310 OR 311 LE 312 GE 313
%token SHL_ASSIGN 314 SHR_ASSIGN 315 STRICT_EQ 317 AT 320 YIELD 321 MATH 322
%token CONSOLE 323 SAVEFILE 324 SYSTEM 325 LAYERBOOK 326 NUMBER 327 INT_KW 328
%token FLOAT_KW 329 INT 330 FLOAT 331 IDENT 332 STRING 333 BOOL 334 NULL_KW 335
%token KEYNAME 336 HASH 337 IMPORT 338 EXPORT 339

%start program

%%

program: top_level_list ;                                                  /* 1 */
top_level_list: top_level_item ;                                           /* 2 */
top_level_list: top_level_list top_level_item ;                            /* 3 */
top_level_list: error ;                                                    /* 4 */
top_level_item: statement ;                                                /* 5 */
top_level_item: directive ;                                                /* 6 */
statement_list: statement ;                                                /* 7 */
statement_list: statement_list statement ;                                 /* 8 */
statement_list: error ;                                                    /* 9 */
label_opt: %empty ;                                                        /* 10 */
label_opt: IDENT ':' ;                                                     /* 11 */
do_block_open: %empty ;                                                    /* 12 */
block: '{' do_block_open block_rest ;                                      /* 13 */
block_rest: statement_list '}' ;                                           /* 14 */
block_rest: '}' ;                                                          /* 15 */
statement: ';' ;                                                           /* 16 */
statement: expression ';' ;                                                /* 17 */
statement: if_statement ;                                                  /* 18 */
statement: label_opt while_head block ;                                    /* 19 */
statement: label_opt for_head statement ;                                  /* 20 */
statement: label_opt for_head block ;                                      /* 21 */
do_function_body: %empty ;                                                 /* 22 */
statement: function_declaration_head '(' parameter_list ')' do_function_body block ; /* 23 */
statement: label_opt switch_statement ;                                    /* 24 */
statement: try_statement ;                                                 /* 25 */
statement: BREAK ';' ;                                                     /* 26 */
statement: BREAK IDENT ';' ;                                               /* 27 */
statement: CONTINUE ';' ;                                                  /* 28 */
statement: CONTINUE IDENT ';' ;                                            /* 29 */
statement: declaration ;                                                   /* 30 */
statement: WAIT ';' ;                                                      /* 31 */
statement: RETURN ';' ;                                                    /* 32 */
statement: RETURN expression ';' ;                                         /* 33 */
statement: THROW ';' ;                                                     /* 34 */
statement: THROW expression ';' ;                                          /* 35 */
statement: import_statement ';' ;                                          /* 36 */
statement: export_statement ';' ;                                          /* 37 */
if_statement: if_clause ;                                                  /* 38 */
if_statement: if_clause else_clause ;                                      /* 39 */
if_statement: if_clause else_if_list ;                                     /* 40 */
if_statement: if_clause else_if_list else_clause ;                         /* 41 */
if_clause: if_head statement ;                                             /* 42 */
if_clause: if_head block ;                                                 /* 43 */
if_head: IF '(' if_test ')' ;                                              /* 44 */
if_test: expression ;                                                      /* 45 */
if_test: error ;                                                           /* 46 */
do_else_block: %empty ;                                                    /* 47 */
else_clause: ELSE do_else_block block ;                                    /* 48 */
do_else_statement: %empty ;                                                /* 49 */
else_clause: ELSE do_else_statement statement ;                            /* 50 */
else_if_list: else_if_clause ;                                             /* 51 */
else_if_list: else_if_list else_if_clause ;                                /* 52 */
else_if_clause: else_if_head statement ;                                   /* 53 */
else_if_clause: else_if_head block ;                                       /* 54 */
do_else_if: %empty ;                                                       /* 55 */
else_if_head: ELSE IF do_else_if '(' expression ')' ;                      /* 56 */
do_switch: %empty ;                                                        /* 57 */
switch_statement: SWITCH '(' expression ')' do_switch '{' case_list default_opt '}' ; /* 58 */
do_first_case_int: %empty ;                                                /* 59 */
case_list: CASE INT ':' do_first_case_int statement_list ;                 /* 60 */
do_first_case_key: %empty ;                                                /* 61 */
case_list: CASE KEYNAME ':' do_first_case_key statement_list ;             /* 62 */
do_case_int: %empty ;                                                      /* 63 */
case_list: case_list CASE INT ':' do_case_int statement_list ;             /* 64 */
do_case_key: %empty ;                                                      /* 65 */
case_list: case_list CASE KEYNAME ':' do_case_key statement_list ;         /* 66 */
default_opt: %empty ;                                                      /* 67 */
do_default: %empty ;                                                       /* 68 */
default_opt: DEFAULT ':' do_default statement_list ;                       /* 69 */
try_statement: try_clause ;                                                /* 70 */
try_statement: try_clause catch_clause ;                                   /* 71 */
try_statement: try_clause catch_clause finally_clause ;                    /* 72 */
try_statement: try_clause finally_clause ;                                 /* 73 */
do_try: %empty ;                                                           /* 74 */
try_clause: TRY do_try block ;                                             /* 75 */
catch_clause: catch_head block ;                                           /* 76 */
do_finally: %empty ;                                                       /* 77 */
finally_clause: FINALLY do_finally block ;                                 /* 78 */
catch_head: CATCH '(' IDENT ')' ;                                          /* 79 */
import_statement: IMPORT AT STRING ;                                       /* 80 */
import_statement: IMPORT IDENT PERCENT STRING ;                            /* 81 */
export_statement: EXPORT '{' export_name_list '}' ;                        /* 82 */
export_name_list: IDENT ;                                                  /* 83 */
export_name_list: export_name_list ',' IDENT ;                             /* 84 */
declaration: VAR var_declarator_list ';' ;                                 /* 85 */
declaration: CONST const_declarator_list ';' ;                             /* 86 */
var_declarator_list: var_declarator ;                                      /* 87 */
var_declarator_list: var_declarator_list ',' var_declarator ;              /* 88 */
var_declarator: IDENT ;                                                    /* 89 */
do_var_init: %empty ;                                                      /* 90 */
var_declarator: IDENT ASSIGN do_var_init conditional_expression ;          /* 91 */
const_declarator_list: const_declarator ;                                  /* 92 */
const_declarator_list: const_declarator ',' const_declarator ;             /* 93 */
do_const_init: %empty ;                                                    /* 94 */
const_declarator: IDENT ASSIGN do_const_init conditional_expression ;      /* 95 */
function_declaration_head: FUNCTION_STMT IDENT ;                           /* 96 */
function_declaration_head: FUNCTION_STMT STAR IDENT ;                      /* 97 */
do_while: %empty ;                                                         /* 98 */
while_head: WHILE do_while '(' expression ')' ;                            /* 99 */
do_for_test: %empty ;                                                      /* 100 */
do_for_step: %empty ;                                                      /* 101 */
for_head: FOR '(' for_part_opt ';' do_for_test for_part_opt ';' do_for_step for_part_opt ')' ; /* 102 */
for_part_opt: %empty ;                                                     /* 103 */
for_part_opt: expression ;                                                 /* 104 */
parameter_list: %empty ;                                                   /* 105 */
parameter_list: IDENT ;                                                    /* 106 */
parameter_list: parameter_list ',' IDENT ;                                 /* 107 */
parameter_list: error ;                                                    /* 108 */
directive: HASH IDENT STRING ;                                             /* 109 */
directive: HASH IDENT IDENT ;                                              /* 110 */
builtin_namespace: MATH ;                                                  /* 111 */
builtin_namespace: LAYERBOOK ;                                             /* 112 */
builtin_namespace: SYSTEM ;                                                /* 113 */
builtin_namespace: CONSOLE ;                                               /* 114 */
builtin_namespace: SAVEFILE ;                                              /* 115 */
builtin_namespace: NUMBER ;                                                /* 116 */
object_or_array_literal: object_literal ;                                  /* 117 */
object_or_array_literal: array_literal ;                                   /* 118 */
do_object: %empty ;                                                        /* 119 */
object_literal: '{' do_object property_list '}' ;                          /* 120 */
do_empty_object: %empty ;                                                  /* 121 */
object_literal: '{' do_empty_object '}' ;                                  /* 122 */
do_array: %empty ;                                                         /* 123 */
array_literal: '[' do_array element_list ']' ;                             /* 124 */
do_empty_array: %empty ;                                                   /* 125 */
array_literal: '[' do_empty_array ']' ;                                    /* 126 */
property_list: property ;                                                  /* 127 */
property_list: property_list ',' property ;                                /* 128 */
property_list: error ;                                                     /* 129 */
property: property_key ':' conditional_expression ;                        /* 130 */
property: INT ':' conditional_expression ;                                 /* 131 */
element_list: element ;                                                    /* 132 */
element_list: element_list ',' element ;                                   /* 133 */
element_list: error ;                                                      /* 134 */
element: conditional_expression ;                                          /* 135 */
property_key: IDENT ;                                                      /* 136 */
property_key: STRING ;                                                     /* 137 */
expression: assignment_or_yield ;                                          /* 138 */
do_comma: %empty ;                                                         /* 139 */
expression: expression ',' do_comma assignment_or_yield ;                  /* 140 */
assignment_or_yield: assignment_expression ;                               /* 141 */
assignment_or_yield: YIELD assignment_expression ;                         /* 142 */
assignment_expression: conditional_expression ;                            /* 143 */
assignment_expression: unary_expression ASSIGN assignment_expression ;     /* 144 */
assignment_expression: unary_expression ADD_ASSIGN assignment_expression ; /* 145 */
assignment_expression: unary_expression SUB_ASSIGN assignment_expression ; /* 146 */
assignment_expression: unary_expression MUL_ASSIGN assignment_expression ; /* 147 */
assignment_expression: unary_expression DIV_ASSIGN assignment_expression ; /* 148 */
assignment_expression: unary_expression MOD_ASSIGN assignment_expression ; /* 149 */
assignment_expression: unary_expression AND_ASSIGN assignment_expression ; /* 150 */
assignment_expression: unary_expression OR_ASSIGN assignment_expression ;  /* 151 */
assignment_expression: unary_expression XOR_ASSIGN assignment_expression ; /* 152 */
assignment_expression: unary_expression SHL_ASSIGN assignment_expression ; /* 153 */
assignment_expression: unary_expression SHR_ASSIGN assignment_expression ; /* 154 */
conditional_expression: logical_expression ;                               /* 155 */
do_then: %empty ;                                                          /* 156 */
do_else_value: %empty ;                                                    /* 157 */
conditional_expression: logical_expression '?' do_then expression ':' do_else_value conditional_expression ; /* 158 */
logical_expression: bitwise_expression ;                                   /* 159 */
do_and: %empty ;                                                           /* 160 */
logical_expression: logical_expression AND do_and bitwise_expression ;     /* 161 */
do_or: %empty ;                                                            /* 162 */
logical_expression: logical_expression OR do_or bitwise_expression ;       /* 163 */
bitwise_expression: equality_expression ;                                  /* 164 */
bitwise_expression: bitwise_expression AMP equality_expression ;           /* 165 */
bitwise_expression: bitwise_expression BAR equality_expression ;           /* 166 */
bitwise_expression: bitwise_expression CARET equality_expression ;         /* 167 */
equality_expression: relational_expression ;                               /* 168 */
equality_expression: equality_expression EQ relational_expression ;        /* 169 */
equality_expression: equality_expression STRICT_EQ relational_expression ; /* 170 */
equality_expression: equality_expression NE relational_expression ;        /* 171 */
relational_expression: shift_expression ;                                  /* 172 */
relational_expression: relational_expression LT shift_expression ;         /* 173 */
relational_expression: relational_expression LE shift_expression ;         /* 174 */
relational_expression: relational_expression GT shift_expression ;         /* 175 */
relational_expression: relational_expression GE shift_expression ;         /* 176 */
relational_expression: relational_expression IN shift_expression ;         /* 177 */
relational_expression: relational_expression INSTANCEOF shift_expression ; /* 178 */
shift_expression: additive_expression ;                                    /* 179 */
shift_expression: shift_expression SHL additive_expression ;               /* 180 */
shift_expression: shift_expression SHR additive_expression ;               /* 181 */
shift_expression: shift_expression AT additive_expression ;                /* 182 */
additive_expression: multiplicative_expression ;                           /* 183 */
additive_expression: additive_expression PLUS multiplicative_expression ;  /* 184 */
additive_expression: additive_expression MINUS multiplicative_expression ; /* 185 */
multiplicative_expression: cast_expression ;                               /* 186 */
multiplicative_expression: multiplicative_expression STAR unary_expression ;    /* 187 */
multiplicative_expression: multiplicative_expression SLASH unary_expression ;   /* 188 */
multiplicative_expression: multiplicative_expression PERCENT unary_expression ; /* 189 */
cast_expression: unary_expression ;                                        /* 190 */
cast_expression: '(' INT_KW ')' cast_expression ;                          /* 191 */
cast_expression: '(' FLOAT_KW ')' cast_expression ;                        /* 192 */
unary_expression: postfix_expression ;                                     /* 193 */
unary_expression: INC unary_expression ;                                   /* 194 */
unary_expression: DEC unary_expression ;                                   /* 195 */
unary_expression: TILDE unary_expression ;                                 /* 196 */
unary_expression: NOT unary_expression ;                                   /* 197 */
unary_expression: MINUS unary_expression ;                                 /* 198 */
unary_expression: DELETE unary_expression ;                                /* 199 */
unary_expression: TYPEOF unary_expression ;                                /* 200 */
postfix_expression: left_hand_side_expression ;                            /* 201 */
postfix_expression: postfix_expression INC ;                               /* 202 */
postfix_expression: postfix_expression DEC ;                               /* 203 */
left_hand_side_expression: call_expression ;                               /* 204 */
left_hand_side_expression: new_expression ;                                /* 205 */
member_expression: primary_expression ;                                    /* 206 */
member_expression: function_expression ;                                   /* 207 */
member_expression: member_expression '.' IDENT ;                           /* 208 */
member_expression: member_expression '[' STRING ']' ;                      /* 209 */
member_expression: member_expression '[' INT ']' ;                         /* 210 */
member_expression: member_expression '[' expression ']' ;                  /* 211 */
member_expression: NEW member_expression arguments ;                       /* 212 */
member_expression: builtin_namespace '.' IDENT ;                           /* 213 */
function_expression: function_expression_head block ;                      /* 214 */
do_function_expression: %empty ;                                           /* 215 */
function_expression_head: FUNCTION do_function_expression '(' parameter_list ')' ; /* 216 */
do_named_function_expression: %empty ;                                     /* 217 */
function_expression_head: FUNCTION IDENT do_named_function_expression '(' parameter_list ')' ; /* 218 */
new_expression: member_expression ;                                        /* 219 */
new_expression: NEW new_expression ;                                       /* 220 */
call_expression: member_expression arguments ;                             /* 221 */
call_expression: call_expression arguments ;                               /* 222 */
call_expression: call_expression '.' IDENT ;                               /* 223 */
call_expression: call_expression '[' STRING ']' ;                          /* 224 */
do_no_arguments: %empty ;                                                  /* 225 */
arguments: '(' do_no_arguments ')' ;                                       /* 226 */
do_arguments: %empty ;                                                     /* 227 */
arguments: '(' do_arguments argument_list ')' ;                            /* 228 */
do_arguments_error: %empty ;                                               /* 229 */
arguments: '(' do_arguments_error error ')' ;                              /* 230 */
argument_list: assignment_expression ;                                     /* 231 */
argument_list: argument_list ',' assignment_expression ;                   /* 232 */
primary_expression: INT ;                                                  /* 233 */
primary_expression: FLOAT ;                                                /* 234 */
primary_expression: KEYNAME ;                                              /* 235 */
primary_expression: STRING ;                                               /* 236 */
primary_expression: IDENT ;                                                /* 237 */
primary_expression: BOOL ;                                                 /* 238 */
primary_expression: NULL_KW ;                                              /* 239 */
primary_expression: object_or_array_literal ;                              /* 240 */
primary_expression: '(' expression ')' ;                                   /* 241 */
