/* A Bison parser, made by GNU Bison 3.8.2.  */

/* Bison implementation for Yacc-like parsers in C

   Copyright (C) 1984, 1989-1990, 2000-2015, 2018-2021 Free Software Foundation,
   Inc.

   This program is free software: you can redistribute it and/or modify
   it under the terms of the GNU General Public License as published by
   the Free Software Foundation, either version 3 of the License, or
   (at your option) any later version.

   This program is distributed in the hope that it will be useful,
   but WITHOUT ANY WARRANTY; without even the implied warranty of
   MERCHANTABILITY or FITNESS FOR A PARTICULAR PURPOSE.  See the
   GNU General Public License for more details.

   You should have received a copy of the GNU General Public License
   along with this program.  If not, see <https://www.gnu.org/licenses/>.  */

/* As a special exception, you may create a larger work that contains
   part or all of the Bison parser skeleton and distribute that work
   under terms of your choice, so long as that work isn't itself a
   parser generator using the skeleton or a modified version thereof
   as a parser skeleton.  Alternatively, if you modify or redistribute
   the parser skeleton itself, you may (at your option) remove this
   special exception, which will cause the skeleton and the resulting
   Bison output files to be licensed under the GNU General Public
   License without this special exception.

   This special exception was added by the Free Software Foundation in
   version 2.2 of Bison.  */

/* C LALR(1) parser skeleton written by Richard Stallman, by
   simplifying the original so-called "semantic" parser.  */

/* DO NOT RELY ON FEATURES THAT ARE NOT DOCUMENTED in the manual,
   especially those whose name start with YY_ or yy_.  They are
   private implementation details that can be changed or removed.  */

/* All symbols defined below should begin with yy or YY, to avoid
   infringing on user name space.  This should be done even for local
   variables, as they might otherwise be expanded by user macros.
   There are some unavoidable exceptions within include files to
   define necessary library symbols; they are noted "INFRINGES ON
   USER NAME SPACE" below.  */

/* Identify Bison output, and Bison version.  */
#define YYBISON 30802

/* Bison version string.  */
#define YYBISON_VERSION "3.8.2"

/* Skeleton name.  */
#define YYSKELETON_NAME "yacc.c"

/* Pure parsers.  */
#define YYPURE 0

/* Push parsers.  */
#define YYPUSH 0

/* Pull parsers.  */
#define YYPULL 1





# ifndef YY_CAST
#  ifdef __cplusplus
#   define YY_CAST(Type, Val) static_cast<Type> (Val)
#   define YY_REINTERPRET_CAST(Type, Val) reinterpret_cast<Type> (Val)
#  else
#   define YY_CAST(Type, Val) ((Type) (Val))
#   define YY_REINTERPRET_CAST(Type, Val) ((Type) (Val))
#  endif
# endif
# ifndef YY_NULLPTR
#  if defined __cplusplus
#   if 201103L <= __cplusplus
#    define YY_NULLPTR nullptr
#   else
#    define YY_NULLPTR 0
#   endif
#  else
#   define YY_NULLPTR ((void*)0)
#  endif
# endif


/* Debug traces.  */
#ifndef YYDEBUG
# define YYDEBUG 0
#endif
#if YYDEBUG
extern int yydebug;
#endif

/* Token kinds.  */
#ifndef YYTOKENTYPE
# define YYTOKENTYPE
  enum yytokentype
  {
    YYEMPTY = -2,
    YYEOF = 0,                     /* "end of file"  */
    YYerror = 256,                 /* error  */
    YYUNDEF = 340,                 /* "invalid token"  */
    RETURN = 257,                  /* RETURN  */
    WAIT = 258,                    /* WAIT  */
    IF = 259,                      /* IF  */
    ELSE = 260,                    /* ELSE  */
    SWITCH = 261,                  /* SWITCH  */
    CASE = 262,                    /* CASE  */
    DEFAULT = 263,                 /* DEFAULT  */
    FOR = 264,                     /* FOR  */
    WHILE = 266,                   /* WHILE  */
    BREAK = 267,                   /* BREAK  */
    CONTINUE = 268,                /* CONTINUE  */
    NEW = 269,                     /* NEW  */
    TRY = 270,                     /* TRY  */
    CATCH = 271,                   /* CATCH  */
    FINALLY = 272,                 /* FINALLY  */
    THROW = 273,                   /* THROW  */
    FUNCTION = 274,                /* FUNCTION  */
    FUNCTION_STMT = 275,           /* FUNCTION_STMT  */
    VAR = 276,                     /* VAR  */
    CONST = 277,                   /* CONST  */
    MINUS = 278,                   /* MINUS  */
    TILDE = 280,                   /* TILDE  */
    NOT = 281,                     /* NOT  */
    PLUS = 282,                    /* PLUS  */
    STAR = 283,                    /* STAR  */
    SLASH = 284,                   /* SLASH  */
    PERCENT = 285,                 /* PERCENT  */
    DELETE = 286,                  /* DELETE  */
    TYPEOF = 287,                  /* TYPEOF  */
    IN = 288,                      /* IN  */
    INSTANCEOF = 289,              /* INSTANCEOF  */
    LT = 290,                      /* LT  */
    GT = 291,                      /* GT  */
    CARET = 292,                   /* CARET  */
    ASSIGN = 293,                  /* ASSIGN  */
    AMP = 294,                     /* AMP  */
    BAR = 295,                     /* BAR  */
    INC = 296,                     /* INC  */
    DEC = 297,                     /* DEC  */
    EQ = 298,                      /* EQ  */
    NE = 299,                      /* NE  */
    ADD_ASSIGN = 300,              /* ADD_ASSIGN  */
    SUB_ASSIGN = 301,              /* SUB_ASSIGN  */
    MUL_ASSIGN = 302,              /* MUL_ASSIGN  */
    DIV_ASSIGN = 303,              /* DIV_ASSIGN  */
    MOD_ASSIGN = 304,              /* MOD_ASSIGN  */
    AND_ASSIGN = 305,              /* AND_ASSIGN  */
    OR_ASSIGN = 306,               /* OR_ASSIGN  */
    XOR_ASSIGN = 307,              /* XOR_ASSIGN  */
    SHL = 308,                     /* SHL  */
    SHR = 309,                     /* SHR  */
    AND = 310,                     /* AND  */
    OR = 311,                      /* OR  */
    LE = 312,                      /* LE  */
    GE = 313,                      /* GE  */
    SHL_ASSIGN = 314,              /* SHL_ASSIGN  */
    SHR_ASSIGN = 315,              /* SHR_ASSIGN  */
    STRICT_EQ = 317,               /* STRICT_EQ  */
    AT = 320,                      /* AT  */
    YIELD = 321,                   /* YIELD  */
    MATH = 322,                    /* MATH  */
    CONSOLE = 323,                 /* CONSOLE  */
    SAVEFILE = 324,                /* SAVEFILE  */
    SYSTEM = 325,                  /* SYSTEM  */
    LAYERBOOK = 326,               /* LAYERBOOK  */
    NUMBER = 327,                  /* NUMBER  */
    INT_KW = 328,                  /* INT_KW  */
    FLOAT_KW = 329,                /* FLOAT_KW  */
    INT = 330,                     /* INT  */
    FLOAT = 331,                   /* FLOAT  */
    IDENT = 332,                   /* IDENT  */
    STRING = 333,                  /* STRING  */
    BOOL = 334,                    /* BOOL  */
    NULL_KW = 335,                 /* NULL_KW  */
    KEYNAME = 336,                 /* KEYNAME  */
    HASH = 337,                    /* HASH  */
    IMPORT = 338,                  /* IMPORT  */
    EXPORT = 339                   /* EXPORT  */
  };
  typedef enum yytokentype yytoken_kind_t;
#endif

/* Value type.  */
#if ! defined YYSTYPE && ! defined YYSTYPE_IS_DECLARED
typedef int YYSTYPE;
# define YYSTYPE_IS_TRIVIAL 1
# define YYSTYPE_IS_DECLARED 1
#endif


extern YYSTYPE yylval;


int yyparse (void);



/* Symbol kind.  */
enum yysymbol_kind_t
{
  YYSYMBOL_YYEMPTY = -2,
  YYSYMBOL_YYEOF = 0,                      /* "end of file"  */
  YYSYMBOL_YYerror = 1,                    /* error  */
  YYSYMBOL_YYUNDEF = 2,                    /* "invalid token"  */
  YYSYMBOL_RETURN = 3,                     /* RETURN  */
  YYSYMBOL_WAIT = 4,                       /* WAIT  */
  YYSYMBOL_IF = 5,                         /* IF  */
  YYSYMBOL_ELSE = 6,                       /* ELSE  */
  YYSYMBOL_SWITCH = 7,                     /* SWITCH  */
  YYSYMBOL_CASE = 8,                       /* CASE  */
  YYSYMBOL_DEFAULT = 9,                    /* DEFAULT  */
  YYSYMBOL_FOR = 10,                       /* FOR  */
  YYSYMBOL_WHILE = 11,                     /* WHILE  */
  YYSYMBOL_BREAK = 12,                     /* BREAK  */
  YYSYMBOL_CONTINUE = 13,                  /* CONTINUE  */
  YYSYMBOL_NEW = 14,                       /* NEW  */
  YYSYMBOL_TRY = 15,                       /* TRY  */
  YYSYMBOL_CATCH = 16,                     /* CATCH  */
  YYSYMBOL_FINALLY = 17,                   /* FINALLY  */
  YYSYMBOL_THROW = 18,                     /* THROW  */
  YYSYMBOL_FUNCTION = 19,                  /* FUNCTION  */
  YYSYMBOL_FUNCTION_STMT = 20,             /* FUNCTION_STMT  */
  YYSYMBOL_VAR = 21,                       /* VAR  */
  YYSYMBOL_CONST = 22,                     /* CONST  */
  YYSYMBOL_MINUS = 23,                     /* MINUS  */
  YYSYMBOL_TILDE = 24,                     /* TILDE  */
  YYSYMBOL_NOT = 25,                       /* NOT  */
  YYSYMBOL_PLUS = 26,                      /* PLUS  */
  YYSYMBOL_STAR = 27,                      /* STAR  */
  YYSYMBOL_SLASH = 28,                     /* SLASH  */
  YYSYMBOL_PERCENT = 29,                   /* PERCENT  */
  YYSYMBOL_DELETE = 30,                    /* DELETE  */
  YYSYMBOL_TYPEOF = 31,                    /* TYPEOF  */
  YYSYMBOL_IN = 32,                        /* IN  */
  YYSYMBOL_INSTANCEOF = 33,                /* INSTANCEOF  */
  YYSYMBOL_LT = 34,                        /* LT  */
  YYSYMBOL_GT = 35,                        /* GT  */
  YYSYMBOL_CARET = 36,                     /* CARET  */
  YYSYMBOL_ASSIGN = 37,                    /* ASSIGN  */
  YYSYMBOL_AMP = 38,                       /* AMP  */
  YYSYMBOL_BAR = 39,                       /* BAR  */
  YYSYMBOL_INC = 40,                       /* INC  */
  YYSYMBOL_DEC = 41,                       /* DEC  */
  YYSYMBOL_EQ = 42,                        /* EQ  */
  YYSYMBOL_NE = 43,                        /* NE  */
  YYSYMBOL_ADD_ASSIGN = 44,                /* ADD_ASSIGN  */
  YYSYMBOL_SUB_ASSIGN = 45,                /* SUB_ASSIGN  */
  YYSYMBOL_MUL_ASSIGN = 46,                /* MUL_ASSIGN  */
  YYSYMBOL_DIV_ASSIGN = 47,                /* DIV_ASSIGN  */
  YYSYMBOL_MOD_ASSIGN = 48,                /* MOD_ASSIGN  */
  YYSYMBOL_AND_ASSIGN = 49,                /* AND_ASSIGN  */
  YYSYMBOL_OR_ASSIGN = 50,                 /* OR_ASSIGN  */
  YYSYMBOL_XOR_ASSIGN = 51,                /* XOR_ASSIGN  */
  YYSYMBOL_SHL = 52,                       /* SHL  */
  YYSYMBOL_SHR = 53,                       /* SHR  */
  YYSYMBOL_AND = 54,                       /* AND  */
  YYSYMBOL_OR = 55,                        /* OR  */
  YYSYMBOL_LE = 56,                        /* LE  */
  YYSYMBOL_GE = 57,                        /* GE  */
  YYSYMBOL_SHL_ASSIGN = 58,                /* SHL_ASSIGN  */
  YYSYMBOL_SHR_ASSIGN = 59,                /* SHR_ASSIGN  */
  YYSYMBOL_STRICT_EQ = 60,                 /* STRICT_EQ  */
  YYSYMBOL_AT = 61,                        /* AT  */
  YYSYMBOL_YIELD = 62,                     /* YIELD  */
  YYSYMBOL_MATH = 63,                      /* MATH  */
  YYSYMBOL_CONSOLE = 64,                   /* CONSOLE  */
  YYSYMBOL_SAVEFILE = 65,                  /* SAVEFILE  */
  YYSYMBOL_SYSTEM = 66,                    /* SYSTEM  */
  YYSYMBOL_LAYERBOOK = 67,                 /* LAYERBOOK  */
  YYSYMBOL_NUMBER = 68,                    /* NUMBER  */
  YYSYMBOL_INT_KW = 69,                    /* INT_KW  */
  YYSYMBOL_FLOAT_KW = 70,                  /* FLOAT_KW  */
  YYSYMBOL_INT = 71,                       /* INT  */
  YYSYMBOL_FLOAT = 72,                     /* FLOAT  */
  YYSYMBOL_IDENT = 73,                     /* IDENT  */
  YYSYMBOL_STRING = 74,                    /* STRING  */
  YYSYMBOL_BOOL = 75,                      /* BOOL  */
  YYSYMBOL_NULL_KW = 76,                   /* NULL_KW  */
  YYSYMBOL_KEYNAME = 77,                   /* KEYNAME  */
  YYSYMBOL_HASH = 78,                      /* HASH  */
  YYSYMBOL_IMPORT = 79,                    /* IMPORT  */
  YYSYMBOL_EXPORT = 80,                    /* EXPORT  */
  YYSYMBOL_81_ = 81,                       /* ':'  */
  YYSYMBOL_82_ = 82,                       /* '{'  */
  YYSYMBOL_83_ = 83,                       /* '}'  */
  YYSYMBOL_84_ = 84,                       /* ';'  */
  YYSYMBOL_85_ = 85,                       /* '('  */
  YYSYMBOL_86_ = 86,                       /* ')'  */
  YYSYMBOL_87_ = 87,                       /* ','  */
  YYSYMBOL_88_ = 88,                       /* '['  */
  YYSYMBOL_89_ = 89,                       /* ']'  */
  YYSYMBOL_90_ = 90,                       /* '?'  */
  YYSYMBOL_91_ = 91,                       /* '.'  */
  YYSYMBOL_YYACCEPT = 92,                  /* $accept  */
  YYSYMBOL_program = 93,                   /* program  */
  YYSYMBOL_top_level_list = 94,            /* top_level_list  */
  YYSYMBOL_top_level_item = 95,            /* top_level_item  */
  YYSYMBOL_statement_list = 96,            /* statement_list  */
  YYSYMBOL_label_opt = 97,                 /* label_opt  */
  YYSYMBOL_do_block_open = 98,             /* do_block_open  */
  YYSYMBOL_block = 99,                     /* block  */
  YYSYMBOL_block_rest = 100,               /* block_rest  */
  YYSYMBOL_statement = 101,                /* statement  */
  YYSYMBOL_do_function_body = 102,         /* do_function_body  */
  YYSYMBOL_if_statement = 103,             /* if_statement  */
  YYSYMBOL_if_clause = 104,                /* if_clause  */
  YYSYMBOL_if_head = 105,                  /* if_head  */
  YYSYMBOL_if_test = 106,                  /* if_test  */
  YYSYMBOL_do_else_block = 107,            /* do_else_block  */
  YYSYMBOL_else_clause = 108,              /* else_clause  */
  YYSYMBOL_do_else_statement = 109,        /* do_else_statement  */
  YYSYMBOL_else_if_list = 110,             /* else_if_list  */
  YYSYMBOL_else_if_clause = 111,           /* else_if_clause  */
  YYSYMBOL_do_else_if = 112,               /* do_else_if  */
  YYSYMBOL_else_if_head = 113,             /* else_if_head  */
  YYSYMBOL_do_switch = 114,                /* do_switch  */
  YYSYMBOL_switch_statement = 115,         /* switch_statement  */
  YYSYMBOL_do_first_case_int = 116,        /* do_first_case_int  */
  YYSYMBOL_case_list = 117,                /* case_list  */
  YYSYMBOL_do_first_case_key = 118,        /* do_first_case_key  */
  YYSYMBOL_do_case_int = 119,              /* do_case_int  */
  YYSYMBOL_do_case_key = 120,              /* do_case_key  */
  YYSYMBOL_default_opt = 121,              /* default_opt  */
  YYSYMBOL_do_default = 122,               /* do_default  */
  YYSYMBOL_try_statement = 123,            /* try_statement  */
  YYSYMBOL_do_try = 124,                   /* do_try  */
  YYSYMBOL_try_clause = 125,               /* try_clause  */
  YYSYMBOL_catch_clause = 126,             /* catch_clause  */
  YYSYMBOL_do_finally = 127,               /* do_finally  */
  YYSYMBOL_finally_clause = 128,           /* finally_clause  */
  YYSYMBOL_catch_head = 129,               /* catch_head  */
  YYSYMBOL_import_statement = 130,         /* import_statement  */
  YYSYMBOL_export_statement = 131,         /* export_statement  */
  YYSYMBOL_export_name_list = 132,         /* export_name_list  */
  YYSYMBOL_declaration = 133,              /* declaration  */
  YYSYMBOL_var_declarator_list = 134,      /* var_declarator_list  */
  YYSYMBOL_var_declarator = 135,           /* var_declarator  */
  YYSYMBOL_do_var_init = 136,              /* do_var_init  */
  YYSYMBOL_const_declarator_list = 137,    /* const_declarator_list  */
  YYSYMBOL_do_const_init = 138,            /* do_const_init  */
  YYSYMBOL_const_declarator = 139,         /* const_declarator  */
  YYSYMBOL_function_declaration_head = 140, /* function_declaration_head  */
  YYSYMBOL_do_while = 141,                 /* do_while  */
  YYSYMBOL_while_head = 142,               /* while_head  */
  YYSYMBOL_do_for_test = 143,              /* do_for_test  */
  YYSYMBOL_do_for_step = 144,              /* do_for_step  */
  YYSYMBOL_for_head = 145,                 /* for_head  */
  YYSYMBOL_for_part_opt = 146,             /* for_part_opt  */
  YYSYMBOL_parameter_list = 147,           /* parameter_list  */
  YYSYMBOL_directive = 148,                /* directive  */
  YYSYMBOL_builtin_namespace = 149,        /* builtin_namespace  */
  YYSYMBOL_object_or_array_literal = 150,  /* object_or_array_literal  */
  YYSYMBOL_do_object = 151,                /* do_object  */
  YYSYMBOL_object_literal = 152,           /* object_literal  */
  YYSYMBOL_do_empty_object = 153,          /* do_empty_object  */
  YYSYMBOL_do_array = 154,                 /* do_array  */
  YYSYMBOL_array_literal = 155,            /* array_literal  */
  YYSYMBOL_do_empty_array = 156,           /* do_empty_array  */
  YYSYMBOL_property_list = 157,            /* property_list  */
  YYSYMBOL_property = 158,                 /* property  */
  YYSYMBOL_element_list = 159,             /* element_list  */
  YYSYMBOL_element = 160,                  /* element  */
  YYSYMBOL_property_key = 161,             /* property_key  */
  YYSYMBOL_expression = 162,               /* expression  */
  YYSYMBOL_do_comma = 163,                 /* do_comma  */
  YYSYMBOL_assignment_or_yield = 164,      /* assignment_or_yield  */
  YYSYMBOL_assignment_expression = 165,    /* assignment_expression  */
  YYSYMBOL_conditional_expression = 166,   /* conditional_expression  */
  YYSYMBOL_do_then = 167,                  /* do_then  */
  YYSYMBOL_do_else_value = 168,            /* do_else_value  */
  YYSYMBOL_logical_expression = 169,       /* logical_expression  */
  YYSYMBOL_do_and = 170,                   /* do_and  */
  YYSYMBOL_do_or = 171,                    /* do_or  */
  YYSYMBOL_bitwise_expression = 172,       /* bitwise_expression  */
  YYSYMBOL_equality_expression = 173,      /* equality_expression  */
  YYSYMBOL_relational_expression = 174,    /* relational_expression  */
  YYSYMBOL_shift_expression = 175,         /* shift_expression  */
  YYSYMBOL_additive_expression = 176,      /* additive_expression  */
  YYSYMBOL_multiplicative_expression = 177, /* multiplicative_expression  */
  YYSYMBOL_cast_expression = 178,          /* cast_expression  */
  YYSYMBOL_unary_expression = 179,         /* unary_expression  */
  YYSYMBOL_postfix_expression = 180,       /* postfix_expression  */
  YYSYMBOL_left_hand_side_expression = 181, /* left_hand_side_expression  */
  YYSYMBOL_member_expression = 182,        /* member_expression  */
  YYSYMBOL_function_expression = 183,      /* function_expression  */
  YYSYMBOL_do_function_expression = 184,   /* do_function_expression  */
  YYSYMBOL_function_expression_head = 185, /* function_expression_head  */
  YYSYMBOL_do_named_function_expression = 186, /* do_named_function_expression  */
  YYSYMBOL_new_expression = 187,           /* new_expression  */
  YYSYMBOL_call_expression = 188,          /* call_expression  */
  YYSYMBOL_do_no_arguments = 189,          /* do_no_arguments  */
  YYSYMBOL_arguments = 190,                /* arguments  */
  YYSYMBOL_do_arguments = 191,             /* do_arguments  */
  YYSYMBOL_do_arguments_error = 192,       /* do_arguments_error  */
  YYSYMBOL_argument_list = 193,            /* argument_list  */
  YYSYMBOL_primary_expression = 194        /* primary_expression  */
};
typedef enum yysymbol_kind_t yysymbol_kind_t;




#ifdef short
# undef short
#endif

/* On compilers that do not define __PTRDIFF_MAX__ etc., make sure
   <limits.h> and (if available) <stdint.h> are included
   so that the code can choose integer types of a good width.  */

#ifndef __PTRDIFF_MAX__
# include <limits.h> /* INFRINGES ON USER NAME SPACE */
# if defined __STDC_VERSION__ && 199901 <= __STDC_VERSION__
#  include <stdint.h> /* INFRINGES ON USER NAME SPACE */
#  define YY_STDINT_H
# endif
#endif

/* Narrow types that promote to a signed type and that can represent a
   signed or unsigned integer of at least N bits.  In tables they can
   save space and decrease cache pressure.  Promoting to a signed type
   helps avoid bugs in integer arithmetic.  */

#ifdef __INT_LEAST8_MAX__
typedef __INT_LEAST8_TYPE__ yytype_int8;
#elif defined YY_STDINT_H
typedef int_least8_t yytype_int8;
#else
typedef signed char yytype_int8;
#endif

#ifdef __INT_LEAST16_MAX__
typedef __INT_LEAST16_TYPE__ yytype_int16;
#elif defined YY_STDINT_H
typedef int_least16_t yytype_int16;
#else
typedef short yytype_int16;
#endif

/* Work around bug in HP-UX 11.23, which defines these macros
   incorrectly for preprocessor constants.  This workaround can likely
   be removed in 2023, as HPE has promised support for HP-UX 11.23
   (aka HP-UX 11i v2) only through the end of 2022; see Table 2 of
   <https://h20195.www2.hpe.com/V2/getpdf.aspx/4AA4-7673ENW.pdf>.  */
#ifdef __hpux
# undef UINT_LEAST8_MAX
# undef UINT_LEAST16_MAX
# define UINT_LEAST8_MAX 255
# define UINT_LEAST16_MAX 65535
#endif

#if defined __UINT_LEAST8_MAX__ && __UINT_LEAST8_MAX__ <= __INT_MAX__
typedef __UINT_LEAST8_TYPE__ yytype_uint8;
#elif (!defined __UINT_LEAST8_MAX__ && defined YY_STDINT_H \
       && UINT_LEAST8_MAX <= INT_MAX)
typedef uint_least8_t yytype_uint8;
#elif !defined __UINT_LEAST8_MAX__ && UCHAR_MAX <= INT_MAX
typedef unsigned char yytype_uint8;
#else
typedef short yytype_uint8;
#endif

#if defined __UINT_LEAST16_MAX__ && __UINT_LEAST16_MAX__ <= __INT_MAX__
typedef __UINT_LEAST16_TYPE__ yytype_uint16;
#elif (!defined __UINT_LEAST16_MAX__ && defined YY_STDINT_H \
       && UINT_LEAST16_MAX <= INT_MAX)
typedef uint_least16_t yytype_uint16;
#elif !defined __UINT_LEAST16_MAX__ && USHRT_MAX <= INT_MAX
typedef unsigned short yytype_uint16;
#else
typedef int yytype_uint16;
#endif

#ifndef YYPTRDIFF_T
# if defined __PTRDIFF_TYPE__ && defined __PTRDIFF_MAX__
#  define YYPTRDIFF_T __PTRDIFF_TYPE__
#  define YYPTRDIFF_MAXIMUM __PTRDIFF_MAX__
# elif defined PTRDIFF_MAX
#  ifndef ptrdiff_t
#   include <stddef.h> /* INFRINGES ON USER NAME SPACE */
#  endif
#  define YYPTRDIFF_T ptrdiff_t
#  define YYPTRDIFF_MAXIMUM PTRDIFF_MAX
# else
#  define YYPTRDIFF_T long
#  define YYPTRDIFF_MAXIMUM LONG_MAX
# endif
#endif

#ifndef YYSIZE_T
# ifdef __SIZE_TYPE__
#  define YYSIZE_T __SIZE_TYPE__
# elif defined size_t
#  define YYSIZE_T size_t
# elif defined __STDC_VERSION__ && 199901 <= __STDC_VERSION__
#  include <stddef.h> /* INFRINGES ON USER NAME SPACE */
#  define YYSIZE_T size_t
# else
#  define YYSIZE_T unsigned
# endif
#endif

#define YYSIZE_MAXIMUM                                  \
  YY_CAST (YYPTRDIFF_T,                                 \
           (YYPTRDIFF_MAXIMUM < YY_CAST (YYSIZE_T, -1)  \
            ? YYPTRDIFF_MAXIMUM                         \
            : YY_CAST (YYSIZE_T, -1)))

#define YYSIZEOF(X) YY_CAST (YYPTRDIFF_T, sizeof (X))


/* Stored state numbers (used for stacks). */
typedef yytype_int16 yy_state_t;

/* State numbers in computations.  */
typedef int yy_state_fast_t;

#ifndef YY_
# if defined YYENABLE_NLS && YYENABLE_NLS
#  if ENABLE_NLS
#   include <libintl.h> /* INFRINGES ON USER NAME SPACE */
#   define YY_(Msgid) dgettext ("bison-runtime", Msgid)
#  endif
# endif
# ifndef YY_
#  define YY_(Msgid) Msgid
# endif
#endif


#ifndef YY_ATTRIBUTE_PURE
# if defined __GNUC__ && 2 < __GNUC__ + (96 <= __GNUC_MINOR__)
#  define YY_ATTRIBUTE_PURE __attribute__ ((__pure__))
# else
#  define YY_ATTRIBUTE_PURE
# endif
#endif

#ifndef YY_ATTRIBUTE_UNUSED
# if defined __GNUC__ && 2 < __GNUC__ + (7 <= __GNUC_MINOR__)
#  define YY_ATTRIBUTE_UNUSED __attribute__ ((__unused__))
# else
#  define YY_ATTRIBUTE_UNUSED
# endif
#endif

/* Suppress unused-variable warnings by "using" E.  */
#if ! defined lint || defined __GNUC__
# define YY_USE(E) ((void) (E))
#else
# define YY_USE(E) /* empty */
#endif

/* Suppress an incorrect diagnostic about yylval being uninitialized.  */
#if defined __GNUC__ && ! defined __ICC && 406 <= __GNUC__ * 100 + __GNUC_MINOR__
# if __GNUC__ * 100 + __GNUC_MINOR__ < 407
#  define YY_IGNORE_MAYBE_UNINITIALIZED_BEGIN                           \
    _Pragma ("GCC diagnostic push")                                     \
    _Pragma ("GCC diagnostic ignored \"-Wuninitialized\"")
# else
#  define YY_IGNORE_MAYBE_UNINITIALIZED_BEGIN                           \
    _Pragma ("GCC diagnostic push")                                     \
    _Pragma ("GCC diagnostic ignored \"-Wuninitialized\"")              \
    _Pragma ("GCC diagnostic ignored \"-Wmaybe-uninitialized\"")
# endif
# define YY_IGNORE_MAYBE_UNINITIALIZED_END      \
    _Pragma ("GCC diagnostic pop")
#else
# define YY_INITIAL_VALUE(Value) Value
#endif
#ifndef YY_IGNORE_MAYBE_UNINITIALIZED_BEGIN
# define YY_IGNORE_MAYBE_UNINITIALIZED_BEGIN
# define YY_IGNORE_MAYBE_UNINITIALIZED_END
#endif
#ifndef YY_INITIAL_VALUE
# define YY_INITIAL_VALUE(Value) /* Nothing. */
#endif

#if defined __cplusplus && defined __GNUC__ && ! defined __ICC && 6 <= __GNUC__
# define YY_IGNORE_USELESS_CAST_BEGIN                          \
    _Pragma ("GCC diagnostic push")                            \
    _Pragma ("GCC diagnostic ignored \"-Wuseless-cast\"")
# define YY_IGNORE_USELESS_CAST_END            \
    _Pragma ("GCC diagnostic pop")
#endif
#ifndef YY_IGNORE_USELESS_CAST_BEGIN
# define YY_IGNORE_USELESS_CAST_BEGIN
# define YY_IGNORE_USELESS_CAST_END
#endif


#define YY_ASSERT(E) ((void) (0 && (E)))

#if !defined yyoverflow

/* The parser invokes alloca or malloc; define the necessary symbols.  */

# ifdef YYSTACK_USE_ALLOCA
#  if YYSTACK_USE_ALLOCA
#   ifdef __GNUC__
#    define YYSTACK_ALLOC __builtin_alloca
#   elif defined __BUILTIN_VA_ARG_INCR
#    include <alloca.h> /* INFRINGES ON USER NAME SPACE */
#   elif defined _AIX
#    define YYSTACK_ALLOC __alloca
#   elif defined _MSC_VER
#    include <malloc.h> /* INFRINGES ON USER NAME SPACE */
#    define alloca _alloca
#   else
#    define YYSTACK_ALLOC alloca
#    if ! defined _ALLOCA_H && ! defined EXIT_SUCCESS
#     include <stdlib.h> /* INFRINGES ON USER NAME SPACE */
      /* Use EXIT_SUCCESS as a witness for stdlib.h.  */
#     ifndef EXIT_SUCCESS
#      define EXIT_SUCCESS 0
#     endif
#    endif
#   endif
#  endif
# endif

# ifdef YYSTACK_ALLOC
   /* Pacify GCC's 'empty if-body' warning.  */
#  define YYSTACK_FREE(Ptr) do { /* empty */; } while (0)
#  ifndef YYSTACK_ALLOC_MAXIMUM
    /* The OS might guarantee only one guard page at the bottom of the stack,
       and a page size can be as small as 4096 bytes.  So we cannot safely
       invoke alloca (N) if N exceeds 4096.  Use a slightly smaller number
       to allow for a few compiler-allocated temporary stack slots.  */
#   define YYSTACK_ALLOC_MAXIMUM 4032 /* reasonable circa 2006 */
#  endif
# else
#  define YYSTACK_ALLOC YYMALLOC
#  define YYSTACK_FREE YYFREE
#  ifndef YYSTACK_ALLOC_MAXIMUM
#   define YYSTACK_ALLOC_MAXIMUM YYSIZE_MAXIMUM
#  endif
#  if (defined __cplusplus && ! defined EXIT_SUCCESS \
       && ! ((defined YYMALLOC || defined malloc) \
             && (defined YYFREE || defined free)))
#   include <stdlib.h> /* INFRINGES ON USER NAME SPACE */
#   ifndef EXIT_SUCCESS
#    define EXIT_SUCCESS 0
#   endif
#  endif
#  ifndef YYMALLOC
#   define YYMALLOC malloc
#   if ! defined malloc && ! defined EXIT_SUCCESS
void *malloc (YYSIZE_T); /* INFRINGES ON USER NAME SPACE */
#   endif
#  endif
#  ifndef YYFREE
#   define YYFREE free
#   if ! defined free && ! defined EXIT_SUCCESS
void free (void *); /* INFRINGES ON USER NAME SPACE */
#   endif
#  endif
# endif
#endif /* !defined yyoverflow */

#if (! defined yyoverflow \
     && (! defined __cplusplus \
         || (defined YYSTYPE_IS_TRIVIAL && YYSTYPE_IS_TRIVIAL)))

/* A type that is properly aligned for any stack member.  */
union yyalloc
{
  yy_state_t yyss_alloc;
  YYSTYPE yyvs_alloc;
};

/* The size of the maximum gap between one aligned stack and the next.  */
# define YYSTACK_GAP_MAXIMUM (YYSIZEOF (union yyalloc) - 1)

/* The size of an array large to enough to hold all stacks, each with
   N elements.  */
# define YYSTACK_BYTES(N) \
     ((N) * (YYSIZEOF (yy_state_t) + YYSIZEOF (YYSTYPE)) \
      + YYSTACK_GAP_MAXIMUM)

# define YYCOPY_NEEDED 1

/* Relocate STACK from its old location to the new one.  The
   local variables YYSIZE and YYSTACKSIZE give the old and new number of
   elements in the stack, and YYPTR gives the new location of the
   stack.  Advance YYPTR to a properly aligned location for the next
   stack.  */
# define YYSTACK_RELOCATE(Stack_alloc, Stack)                           \
    do                                                                  \
      {                                                                 \
        YYPTRDIFF_T yynewbytes;                                         \
        YYCOPY (&yyptr->Stack_alloc, Stack, yysize);                    \
        Stack = &yyptr->Stack_alloc;                                    \
        yynewbytes = yystacksize * YYSIZEOF (*Stack) + YYSTACK_GAP_MAXIMUM; \
        yyptr += yynewbytes / YYSIZEOF (*yyptr);                        \
      }                                                                 \
    while (0)

#endif

#if defined YYCOPY_NEEDED && YYCOPY_NEEDED
/* Copy COUNT objects from SRC to DST.  The source and destination do
   not overlap.  */
# ifndef YYCOPY
#  if defined __GNUC__ && 1 < __GNUC__
#   define YYCOPY(Dst, Src, Count) \
      __builtin_memcpy (Dst, Src, YY_CAST (YYSIZE_T, (Count)) * sizeof (*(Src)))
#  else
#   define YYCOPY(Dst, Src, Count)              \
      do                                        \
        {                                       \
          YYPTRDIFF_T yyi;                      \
          for (yyi = 0; yyi < (Count); yyi++)   \
            (Dst)[yyi] = (Src)[yyi];            \
        }                                       \
      while (0)
#  endif
# endif
#endif /* !YYCOPY_NEEDED */

/* YYFINAL -- State number of the termination state.  */
#define YYFINAL  127
/* YYLAST -- Last index in YYTABLE.  */
#define YYLAST   13022

/* YYNTOKENS -- Number of terminals.  */
#define YYNTOKENS  92
/* YYNNTS -- Number of nonterminals.  */
#define YYNNTS  103
/* YYNRULES -- Number of rules.  */
#define YYNRULES  242
/* YYNSTATES -- Number of states.  */
#define YYNSTATES  415

/* YYMAXUTOK -- Last valid token kind.  */
#define YYMAXUTOK   340


/* YYTRANSLATE(TOKEN-NUM) -- Symbol number corresponding to TOKEN-NUM
   as returned by yylex, with out-of-bounds checking.  */
#define YYTRANSLATE(YYX)                                \
  (0 <= (YYX) && (YYX) <= YYMAXUTOK                     \
   ? YY_CAST (yysymbol_kind_t, yytranslate[YYX])        \
   : YYSYMBOL_YYUNDEF)

/* YYTRANSLATE[TOKEN-NUM] -- Symbol number corresponding to TOKEN-NUM
   as returned by yylex.  */
static const yytype_int8 yytranslate[] =
{
       0,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
      85,    86,     2,     2,    87,     2,    91,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,    81,    84,
       2,     2,     2,    90,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,    88,     2,    89,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,    82,     2,    83,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     2,     2,     2,     2,
       2,     2,     2,     2,     2,     2,     1,     3,     4,     5,
       6,     7,     8,     9,    10,     2,    11,    12,    13,    14,
      15,    16,    17,    18,    19,    20,    21,    22,    23,     2,
      24,    25,    26,    27,    28,    29,    30,    31,    32,    33,
      34,    35,    36,    37,    38,    39,    40,    41,    42,    43,
      44,    45,    46,    47,    48,    49,    50,    51,    52,    53,
      54,    55,    56,    57,    58,    59,     2,    60,     2,     2,
      61,    62,    63,    64,    65,    66,    67,    68,    69,    70,
      71,    72,    73,    74,    75,    76,    77,    78,    79,    80,
       2
};

#if YYDEBUG
/* YYRLINE[YYN] -- Source line where rule number YYN was defined.  */
static const yytype_int16 yyrline[] =
{
       0,    25,    25,    26,    27,    28,    29,    30,    31,    32,
      33,    34,    35,    36,    37,    38,    39,    40,    41,    42,
      43,    44,    45,    46,    47,    48,    49,    50,    51,    52,
      53,    54,    55,    56,    57,    58,    59,    60,    61,    62,
      63,    64,    65,    66,    67,    68,    69,    70,    71,    72,
      73,    74,    75,    76,    77,    78,    79,    80,    81,    82,
      83,    84,    85,    86,    87,    88,    89,    90,    91,    92,
      93,    94,    95,    96,    97,    98,    99,   100,   101,   102,
     103,   104,   105,   106,   107,   108,   109,   110,   111,   112,
     113,   114,   115,   116,   117,   118,   119,   120,   121,   122,
     123,   124,   125,   126,   127,   128,   129,   130,   131,   132,
     133,   134,   135,   136,   137,   138,   139,   140,   141,   142,
     143,   144,   145,   146,   147,   148,   149,   150,   151,   152,
     153,   154,   155,   156,   157,   158,   159,   160,   161,   162,
     163,   164,   165,   166,   167,   168,   169,   170,   171,   172,
     173,   174,   175,   176,   177,   178,   179,   180,   181,   182,
     183,   184,   185,   186,   187,   188,   189,   190,   191,   192,
     193,   194,   195,   196,   197,   198,   199,   200,   201,   202,
     203,   204,   205,   206,   207,   208,   209,   210,   211,   212,
     213,   214,   215,   216,   217,   218,   219,   220,   221,   222,
     223,   224,   225,   226,   227,   228,   229,   230,   231,   232,
     233,   234,   235,   236,   237,   238,   239,   240,   241,   242,
     243,   244,   245,   246,   247,   248,   249,   250,   251,   252,
     253,   254,   255,   256,   257,   258,   259,   260,   261,   262,
     263,   264,   265
};
#endif

/** Accessing symbol of state STATE.  */
#define YY_ACCESSING_SYMBOL(State) YY_CAST (yysymbol_kind_t, yystos[State])

#if YYDEBUG || 0
/* The user-facing name of the symbol whose (internal) number is
   YYSYMBOL.  No bounds checking.  */
static const char *yysymbol_name (yysymbol_kind_t yysymbol) YY_ATTRIBUTE_UNUSED;

/* YYTNAME[SYMBOL-NUM] -- String name of the symbol SYMBOL-NUM.
   First, the terminals, then, starting at YYNTOKENS, nonterminals.  */
static const char *const yytname[] =
{
  "\"end of file\"", "error", "\"invalid token\"", "RETURN", "WAIT", "IF",
  "ELSE", "SWITCH", "CASE", "DEFAULT", "FOR", "WHILE", "BREAK", "CONTINUE",
  "NEW", "TRY", "CATCH", "FINALLY", "THROW", "FUNCTION", "FUNCTION_STMT",
  "VAR", "CONST", "MINUS", "TILDE", "NOT", "PLUS", "STAR", "SLASH",
  "PERCENT", "DELETE", "TYPEOF", "IN", "INSTANCEOF", "LT", "GT", "CARET",
  "ASSIGN", "AMP", "BAR", "INC", "DEC", "EQ", "NE", "ADD_ASSIGN",
  "SUB_ASSIGN", "MUL_ASSIGN", "DIV_ASSIGN", "MOD_ASSIGN", "AND_ASSIGN",
  "OR_ASSIGN", "XOR_ASSIGN", "SHL", "SHR", "AND", "OR", "LE", "GE",
  "SHL_ASSIGN", "SHR_ASSIGN", "STRICT_EQ", "AT", "YIELD", "MATH",
  "CONSOLE", "SAVEFILE", "SYSTEM", "LAYERBOOK", "NUMBER", "INT_KW",
  "FLOAT_KW", "INT", "FLOAT", "IDENT", "STRING", "BOOL", "NULL_KW",
  "KEYNAME", "HASH", "IMPORT", "EXPORT", "':'", "'{'", "'}'", "';'", "'('",
  "')'", "','", "'['", "']'", "'?'", "'.'", "$accept", "program",
  "top_level_list", "top_level_item", "statement_list", "label_opt",
  "do_block_open", "block", "block_rest", "statement", "do_function_body",
  "if_statement", "if_clause", "if_head", "if_test", "do_else_block",
  "else_clause", "do_else_statement", "else_if_list", "else_if_clause",
  "do_else_if", "else_if_head", "do_switch", "switch_statement",
  "do_first_case_int", "case_list", "do_first_case_key", "do_case_int",
  "do_case_key", "default_opt", "do_default", "try_statement", "do_try",
  "try_clause", "catch_clause", "do_finally", "finally_clause",
  "catch_head", "import_statement", "export_statement", "export_name_list",
  "declaration", "var_declarator_list", "var_declarator", "do_var_init",
  "const_declarator_list", "do_const_init", "const_declarator",
  "function_declaration_head", "do_while", "while_head", "do_for_test",
  "do_for_step", "for_head", "for_part_opt", "parameter_list", "directive",
  "builtin_namespace", "object_or_array_literal", "do_object",
  "object_literal", "do_empty_object", "do_array", "array_literal",
  "do_empty_array", "property_list", "property", "element_list", "element",
  "property_key", "expression", "do_comma", "assignment_or_yield",
  "assignment_expression", "conditional_expression", "do_then",
  "do_else_value", "logical_expression", "do_and", "do_or",
  "bitwise_expression", "equality_expression", "relational_expression",
  "shift_expression", "additive_expression", "multiplicative_expression",
  "cast_expression", "unary_expression", "postfix_expression",
  "left_hand_side_expression", "member_expression", "function_expression",
  "do_function_expression", "function_expression_head",
  "do_named_function_expression", "new_expression", "call_expression",
  "do_no_arguments", "arguments", "do_arguments", "do_arguments_error",
  "argument_list", "primary_expression", YY_NULLPTR
};

static const char *
yysymbol_name (yysymbol_kind_t yysymbol)
{
  return yytname[yysymbol];
}
#endif

#define YYPACT_NINF (-373)

#define yypact_value_is_default(Yyn) \
  ((Yyn) == YYPACT_NINF)

#define YYTABLE_NINF (-243)

#define yytable_value_is_error(Yyn) \
  0

/* YYPACT[STATE-NUM] -- Index in YYTABLE of the portion describing
   STATE-NUM.  */
static const yytype_int16 yypact[] =
{
    5077,  4389,  7228,   -77,   -32,   -53,   -50,  7970,     2,  7257,
     -52,   -22,   100,   145,  7711,  7711,  7711,  7711,  7711,  7711,
    7711,  7740,    36,   142,   152,   160,   165,   172,  8062,  8131,
   10339,  8200,  8269,  8338,  8407,   194,   -37,   215,    41,  1035,
    7161,    31,   314,  4475,  4561,    66,  4647,  1121,  1207,  6702,
    1293,   691,   237,   253,  1379,   268,  4733,   275,  8476,  8545,
    8614,    49,   -21,    61,   117,   997,  5839,   281, 12699, 12308,
   12072, 11428, 11493, 11388, 10543, 10608,  8683,  8752,   291, 10673,
    8821,  8890,  8959,  1465,   115,  1551,   206,   293,  1637,   312,
    1723,  7519,  8683, 10738,   291,  1809,   139,   313,   321,   644,
     633,   -20,   148,   166,   682,   640,   224, 10933, 10998, 11063,
   11128, 11193, 11258, 11323,   124,    76,    44,   655,   698,   670,
       8,   662,   664,   665,   -17,  5842,   659,  -373,  4819,   667,
     675,   676,  1895,   291,  6702,  6788,  1981,  2067,  2153,  6702,
    5163,  2239,  2325,   687,   696,   863,  2411,   291,  2497,  2583,
       5,   730,  2669,  7548,  7807,  7836,  7615,  7740,  7740,  7740,
    7740,  7740,  7740,  7740,  7740,  7740,  7740,  7740,  7740,  7740,
    7740,  7740,  7740,  7740,  7711,  7711,  7711,  7740,  7740,  7740,
    7740,  7740,  7740,  7740,  7740,  7740,  7740,  7740, 10803, 10868,
     315,  7644,   731,  9028,  5163,  9097,   732,   742,  9166,  2755,
     719,   733,    99,  2841,  2927,  9235,   777,  3013,   735,     5,
     736,  7903,  3099,   100,  7932,  3185,   145,  4905,  4991,   738,
     749,   -35,     6,    42,   743,   744,   745,    45,   108,   746,
    9304,  7740,  7740,  9373,    57,   155,   217,   271, 11558,  9442,
    7519,  7324,   747,  3271,  3357,  3443,   748,   291,  6874,  3529,
    3615,  3701,  3787,  5249,   755,   291,  3873,   949,   106,   189,
     199,  9511,  7519,  7740,  7740,  7519, 12835, 12872, 12892, 12736,
   12773, 12810, 12367, 12426, 12485, 12544, 12603, 12662, 12131, 12190,
   12249, 11623, 11688, 11753, 11818, 11883,   128,   135,   168,   203,
     212,   241,   263,   318,   639,   649,   653,   750,  7740,   815,
   10405, 10474,   272,  9580,   740,  9649,  6960,     5,   245,  7740,
     226,  7740,   751,   753,   754,   757,  7740,  9718,    78,  7740,
   11948, 12013,  7740,  9787,   256,   762,   216,  7519,   773,  3959,
    4045,  5928,   415,  6530,   507,  6014,   761,  4131,   752,   758,
     660, 12912, 12932,   -43,  9856,   298,   308,   778,  9925,  9994,
   10063, 10132,   324,   797,   264,   270,   151,   158,   178,   179,
     285,   807,  7353,   330,  7519,   599,  6100,   808,   291,   398,
    7999, 10201,  7740, 10270,   809,   810,  7324,   813,   422,  4217,
    7740,   490,   888,   814,  7046,    54,   -31,    18,  7420,   816,
     818,   -30,   819,   822,  7449,  5335,  5421,   820,   821,  5507,
    4303,   823,  5593,  5593,  5679,  5765,  5593,  7132,  6186,  6272,
    5593,  5593,  6616,  6358,  6444
};

/* YYDEFACT[STATE-NUM] -- Default reduction number in state STATE-NUM.
   Performed when YYTABLE does not specify something else to do.  Zero
   means the default is an error.  */
static const yytype_int8 yydefact[] =
{
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     1,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0
};

/* YYPGOTO[NTERM-NUM].  */
static const yytype_int16 yypgoto[] =
{
    -373,  -373,  -373,   864,  -280,  -373,  -373,   -59,  -373,     0,
    -373,  -373,  -373,  -373,  -373,  -373,   769,  -373,  -373,   771,
    -373,  -373,  -373,  -373,  -373,  -373,  -373,  -373,  -373,  -373,
    -373,  -373,  -373,  -373,  -373,  -373,   765,  -373,  -373,  -373,
    -373,  -373,  -373,   699,  -373,  -373,  -373,   695,  -373,  -373,
    -373,  -373,  -373,  -373,  -372,  -207,  -373,  -373,  -373,  -373,
    -373,  -373,  -373,  -373,  -373,  -373,   595,  -373,   592,  -373,
      -1,  -373,   654,    -3,  -122,  -373,  -373,  -373,  -373,  -373,
     337,  -129,  -103,   646,   -60,   496,   461,    -4,  -373,  -373,
     908,  -373,  -373,  -373,  -373,   910,  -373,  -373,   -55,  -373,
    -373,  -373,  -373
};

/* YYDEFGOTO[NTERM-NUM].  */
static const yytype_int16 yydefgoto[] =
{
       0,    42,    43,    44,   333,    45,   253,   141,   334,   335,
     368,    47,    48,    49,   201,   247,   136,   248,   137,   138,
     328,   139,   375,   132,   402,   387,   403,   410,   411,   393,
     406,    50,    94,    51,   145,   255,   146,   147,    52,    53,
     222,    54,   102,   103,   309,   105,   311,   106,    55,   242,
     133,   376,   394,   134,   325,   260,    56,    57,    58,   120,
      59,   121,   125,    60,   126,   227,   228,   235,   236,   229,
      61,   262,    62,    63,    64,   265,   380,    65,   263,   264,
      66,    67,    68,    69,    70,    71,    72,    73,    74,    75,
      76,    77,    98,    78,   208,    79,    80,   297,   193,   298,
     299,   346,    81
};

/* YYTABLE[YYPACT[STATE-NUM]] -- What to do in state STATE-NUM.  If
   positive, shift that token.  If negative, reduce the rule whose
   number is the opposite.  If YYTABLE_NINF, syntax error.  */
static const yytype_int16 yytable[] =
{
      46,    84,   308,   237,   383,    99,   258,    85,    96,   223,
     107,   108,   109,   110,   111,   112,   113,   211,   114,   195,
      87,    97,   401,    89,   117,   198,   391,   392,   266,   267,
     268,    88,  -124,  -216,    90,   206,   118,   205,   370,   124,
     389,   397,  -120,    46,   153,  -124,   390,   398,   -84,   142,
    -124,   100,   -84,    86,  -124,  -124,  -124,   269,   270,   271,
    -139,  -124,  -124,  -139,   -90,  -139,  -139,   -90,  -139,   233,
     153,  -124,  -124,   129,   243,   244,   130,   131,   259,   224,
     251,   225,   226,   -12,   -75,   202,   -12,   -12,   257,   314,
     124,  -106,  -106,   315,  -124,  -124,  -124,  -124,  -124,  -124,
     352,   -68,  -124,  -124,  -124,  -124,  -124,  -124,  -124,   278,
     279,   280,  -120,  -124,  -120,  -120,  -124,   217,   218,  -124,
    -126,   238,   408,   409,  -122,  -130,   412,  -112,   317,  -130,
     413,   414,   318,   152,   245,  -159,   153,  -159,  -159,   252,
    -159,  -159,  -142,  -159,  -135,  -142,  -135,  -142,  -142,   224,
    -142,   225,   226,   238,   238,   238,   238,   238,   238,   238,
     238,   238,   238,   238,   238,   238,   238,   238,   238,   238,
     283,   284,   285,   101,   286,   287,   288,   289,   290,   291,
     292,   293,   294,   295,   296,   -46,   153,   354,   329,   355,
     302,  -128,  -109,  -109,   357,  -128,   337,   359,  -144,   199,
     237,  -144,   153,  -144,  -144,  -143,  -144,   200,  -143,  -145,
    -143,  -143,  -145,  -143,  -145,  -145,  -146,  -145,   104,  -146,
       7,  -146,  -146,   207,  -146,    10,   153,   238,   238,    14,
      15,    16,   212,  -115,   -85,   213,    17,    18,   -85,   324,
     326,  -132,   322,  -116,   323,  -132,    19,    20,   330,  -147,
     -88,  -114,  -147,   -88,  -147,  -147,  -113,  -147,   385,   238,
     238,  -129,  -131,  -117,   343,  -129,  -131,   116,    21,    22,
      23,    24,    25,    26,    27,  -107,  -107,    28,    29,    82,
      31,    32,    33,    34,  -148,   338,   339,  -148,    38,  -148,
    -148,    40,  -148,  -149,    41,   345,  -149,   119,  -149,  -149,
    -105,  -149,  -105,   153,  -133,   238,  -133,   238,   -93,   379,
     -89,   216,   238,   -89,   127,   238,  -230,  -165,   238,  -165,
    -165,   148,  -150,   160,   161,  -150,   363,  -150,  -150,  -228,
    -150,   353,   339,   366,  -228,  -165,  -165,   149,  -228,  -228,
    -228,   162,   361,   153,  -151,  -228,  -228,  -151,   -92,  -151,
    -151,   -92,  -151,   150,   -96,  -228,  -228,   -96,  -136,   153,
    -136,   350,  -165,   378,  -165,  -165,   151,  -165,  -165,   381,
    -165,  -165,  -134,   194,  -134,   326,   238,   203,  -228,  -228,
    -228,  -228,  -228,  -228,  -232,  -232,  -228,  -228,  -228,  -228,
    -228,  -228,  -228,   326,   371,   372,   204,  -228,  -218,  -152,
    -228,  -226,  -152,  -228,  -152,  -152,   209,  -152,   366,   366,
     374,   339,   366,   366,   366,   -16,   377,   153,   -16,   -16,
     -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,
     -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,
     -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,
     -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,
     -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,
     -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,
     -16,   -16,   -16,   -16,  -108,  -108,   -16,   -16,   -16,   -16,
     -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,   -16,
     -16,   -16,   -16,   -16,   -16,   -16,   -16,   -14,   384,   153,
     -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,
     -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,
     -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,
     -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,
     -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,
     -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,
     -14,   -14,   -14,   -14,   -14,   -14,  -233,  -233,   -14,   -14,
     -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,
     -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,   -14,   -15,
     341,   342,   -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,
     -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,
     -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,
     -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,
     -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,
     -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,
     -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,   281,   282,
     -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,
     -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,   -15,
     -15,   -71,   320,   321,   -71,   -71,   -71,   -71,   -71,   -71,
     -71,   -71,   -71,   -71,   -71,   -71,   -71,   143,   144,   -71,
     -71,   -71,   -71,   -71,   -71,   -71,   -71,   210,   -97,   214,
    -153,   -71,   -71,  -153,   215,  -153,  -153,   220,  -153,   219,
    -154,   -71,   -71,  -154,  -155,  -154,  -154,  -155,  -154,  -155,
    -155,  -141,  -155,   221,  -141,   230,  -141,  -141,   239,  -141,
     231,   232,   240,   -71,   -71,   -71,   -71,   -71,   -71,   -71,
     241,   -99,   -71,   -71,   -71,   -71,   -71,   -71,   -71,   -71,
     -71,   -71,   254,   -71,   -71,   -71,   -71,   -76,   -78,   -71,
     -76,   -76,   -76,   -76,   -76,   -76,   -76,   -76,   -76,   -76,
     -76,   -76,   -76,   -76,   -76,   -76,   -76,   -76,   -76,   -76,
     -76,   -76,   -76,   261,   303,   -47,   304,   -76,   -76,   272,
     273,   274,   275,   276,   277,   305,   347,   -76,   -76,   306,
     307,   -98,   -81,   313,   316,  -137,  -138,   319,   336,   351,
     356,   369,   327,   -56,   -23,   -94,   344,   -82,   -83,   -76,
     -76,   -76,   -76,   -76,   -76,   -76,   362,   367,   -76,   -76,
     -76,   -76,   -76,   -76,   -76,   -76,   -76,   -76,   364,   -76,
     -76,   -76,   -76,   -72,   373,   -76,   -72,   -72,   -72,   -72,
     -72,   -72,   -72,   -72,   -72,   -72,   -72,   -72,   -72,  -217,
     144,   -72,   -72,   -72,   -72,   -72,   -72,   -72,   -72,   -58,
     -80,  -219,   382,   -72,   -72,  -100,   386,   395,   388,   396,
     399,   404,   405,   -72,   -72,   400,   249,   128,   250,   407,
     256,   312,   310,   358,   360,    92,   340,    93,     0,     0,
       0,     0,     0,     0,     0,   -72,   -72,   -72,   -72,   -72,
     -72,   -72,     0,     0,   -72,   -72,   -72,   -72,   -72,   -72,
     -72,   -72,   -72,   -72,     0,   -72,   -72,   -72,   -72,   -77,
       0,   -72,   -77,   -77,   -77,   -77,   -77,   -77,   -77,   -77,
     -77,   -77,   -77,   -77,   -77,     0,   -77,   -77,   -77,   -77,
     -77,   -77,   -77,   -77,   -77,     0,     0,     0,     0,   -77,
     -77,     0,     0,     0,     0,     0,     0,     0,     0,   -77,
     -77,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,   -77,   -77,   -77,   -77,   -77,   -77,   -77,     0,     0,
     -77,   -77,   -77,   -77,   -77,   -77,   -77,   -77,   -77,   -77,
       0,   -77,   -77,   -77,   -77,   -17,     0,   -77,   -17,   -17,
     -17,   -17,   -17,   -17,   -17,   -17,   -17,   -17,   -17,   -17,
     -17,   154,   155,   -17,   -17,   -17,   -17,   -17,   -17,   -17,
     -17,     0,     0,     0,     0,   -17,   -17,     0,     0,     0,
       0,     0,     0,     0,     0,   -17,   -17,     0,  -156,     0,
    -156,  -156,     0,  -156,  -156,     0,  -156,   156,     0,     0,
       0,     0,     0,     0,     0,     0,     0,   -17,   -17,   -17,
     -17,   -17,   -17,   -17,     0,     0,   -17,   -17,   -17,   -17,
     -17,   -17,   -17,   -17,   -17,   -17,     0,   -17,   -17,   -17,
     -17,   -19,     0,   -17,   -19,   -19,   -19,   -19,   -19,   -19,
     -19,   -19,   -19,   -19,   -19,   -19,   -19,     0,     0,   -19,
     -19,   -19,   -19,   -19,   -19,   -19,   -19,     0,     0,     0,
       0,   -19,   -19,     0,     0,     0,     0,     0,     0,     0,
       0,   -19,   -19,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,   -19,   -19,   -19,   -19,   -19,   -19,   -19,
       0,     0,   -19,   -19,   -19,   -19,   -19,   -19,   -19,   -19,
     -19,   -19,     0,   -19,   -19,   -19,   -19,   -39,     0,   -19,
     -39,   -39,   -39,   135,   -39,   -39,   -39,   -39,   -39,   -39,
     -39,   -39,   -39,     0,     0,   -39,   -39,   -39,   -39,   -39,
     -39,   -39,   -39,     0,     0,     0,     0,   -39,   -39,     0,
       0,     0,     0,     0,     0,     0,     0,   -39,   -39,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,   -39,
     -39,   -39,   -39,   -39,   -39,   -39,     0,     0,   -39,   -39,
     -39,   -39,   -39,   -39,   -39,   -39,   -39,   -39,     0,   -39,
     -39,   -39,   -39,   -26,     0,   -39,   -26,   -26,   -26,   -26,
     -26,   -26,   -26,   -26,   -26,   -26,   -26,   -26,   -26,     0,
       0,   -26,   -26,   -26,   -26,   -26,   -26,   -26,   -26,     0,
       0,     0,     0,   -26,   -26,     0,     0,     0,     0,     0,
       0,     0,     0,   -26,   -26,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,   -26,   -26,   -26,   -26,   -26,
     -26,   -26,     0,     0,   -26,   -26,   -26,   -26,   -26,   -26,
     -26,   -26,   -26,   -26,     0,   -26,   -26,   -26,   -26,   -31,
       0,   -26,   -31,   -31,   -31,   -31,   -31,   -31,   -31,   -31,
     -31,   -31,   -31,   -31,   -31,     0,     0,   -31,   -31,   -31,
     -31,   -31,   -31,   -31,   -31,     0,     0,     0,     0,   -31,
     -31,     0,     0,     0,     0,     0,     0,     0,     0,   -31,
     -31,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,   -31,   -31,   -31,   -31,   -31,   -31,   -31,     0,     0,
     -31,   -31,   -31,   -31,   -31,   -31,   -31,   -31,   -31,   -31,
       0,   -31,   -31,   -31,   -31,   -33,     0,   -31,   -33,   -33,
     -33,   -33,   -33,   -33,   -33,   -33,   -33,   -33,   -33,   -33,
     -33,     0,     0,   -33,   -33,   -33,   -33,   -33,   -33,   -33,
     -33,     0,     0,     0,     0,   -33,   -33,     0,     0,     0,
       0,     0,     0,     0,     0,   -33,   -33,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,   -33,   -33,   -33,
     -33,   -33,   -33,   -33,     0,     0,   -33,   -33,   -33,   -33,
     -33,   -33,   -33,   -33,   -33,   -33,     0,   -33,   -33,   -33,
     -33,   -32,     0,   -33,   -32,   -32,   -32,   -32,   -32,   -32,
     -32,   -32,   -32,   -32,   -32,   -32,   -32,     0,     0,   -32,
     -32,   -32,   -32,   -32,   -32,   -32,   -32,     0,     0,     0,
       0,   -32,   -32,     0,     0,     0,     0,     0,     0,     0,
       0,   -32,   -32,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,   -32,   -32,   -32,   -32,   -32,   -32,   -32,
       0,     0,   -32,   -32,   -32,   -32,   -32,   -32,   -32,   -32,
     -32,   -32,     0,   -32,   -32,   -32,   -32,   -27,     0,   -32,
     -27,   -27,   -27,   -27,   -27,   -27,   -27,   -27,   -27,   -27,
     -27,   -27,   -27,     0,     0,   -27,   -27,   -27,   -27,   -27,
     -27,   -27,   -27,     0,     0,     0,     0,   -27,   -27,     0,
       0,     0,     0,     0,     0,     0,     0,   -27,   -27,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,   -27,
     -27,   -27,   -27,   -27,   -27,   -27,     0,     0,   -27,   -27,
     -27,   -27,   -27,   -27,   -27,   -27,   -27,   -27,     0,   -27,
     -27,   -27,   -27,   -29,     0,   -27,   -29,   -29,   -29,   -29,
     -29,   -29,   -29,   -29,   -29,   -29,   -29,   -29,   -29,     0,
       0,   -29,   -29,   -29,   -29,   -29,   -29,   -29,   -29,     0,
       0,     0,     0,   -29,   -29,     0,     0,     0,     0,     0,
       0,     0,     0,   -29,   -29,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,   -29,   -29,   -29,   -29,   -29,
     -29,   -29,     0,     0,   -29,   -29,   -29,   -29,   -29,   -29,
     -29,   -29,   -29,   -29,     0,   -29,   -29,   -29,   -29,   -35,
       0,   -29,   -35,   -35,   -35,   -35,   -35,   -35,   -35,   -35,
     -35,   -35,   -35,   -35,   -35,     0,     0,   -35,   -35,   -35,
     -35,   -35,   -35,   -35,   -35,     0,     0,     0,     0,   -35,
     -35,     0,     0,     0,     0,     0,     0,     0,     0,   -35,
     -35,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,   -35,   -35,   -35,   -35,   -35,   -35,   -35,     0,     0,
     -35,   -35,   -35,   -35,   -35,   -35,   -35,   -35,   -35,   -35,
       0,   -35,   -35,   -35,   -35,   -25,     0,   -35,   -25,   -25,
     -25,   -25,   -25,   -25,   -25,   -25,   -25,   -25,   -25,   -25,
     -25,     0,     0,   -25,   -25,   -25,   -25,   -25,   -25,   -25,
     -25,     0,     0,     0,     0,   -25,   -25,     0,     0,     0,
       0,     0,     0,     0,     0,   -25,   -25,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,   -25,   -25,   -25,
     -25,   -25,   -25,   -25,     0,     0,   -25,   -25,   -25,   -25,
     -25,   -25,   -25,   -25,   -25,   -25,     0,   -25,   -25,   -25,
     -25,   -40,     0,   -25,   -40,   -40,   -40,   -40,   -40,   -40,
     -40,   -40,   -40,   -40,   -40,   -40,   -40,     0,     0,   -40,
     -40,   -40,   -40,   -40,   -40,   -40,   -40,     0,     0,     0,
       0,   -40,   -40,     0,     0,     0,     0,     0,     0,     0,
       0,   -40,   -40,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,   -40,   -40,   -40,   -40,   -40,   -40,   -40,
       0,     0,   -40,   -40,   -40,   -40,   -40,   -40,   -40,   -40,
     -40,   -40,     0,   -40,   -40,   -40,   -40,   -41,     0,   -40,
     -41,   -41,   -41,   135,   -41,   -41,   -41,   -41,   -41,   -41,
     -41,   -41,   -41,     0,     0,   -41,   -41,   -41,   -41,   -41,
     -41,   -41,   -41,     0,     0,     0,     0,   -41,   -41,     0,
       0,     0,     0,     0,     0,     0,     0,   -41,   -41,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,   -41,
     -41,   -41,   -41,   -41,   -41,   -41,     0,     0,   -41,   -41,
     -41,   -41,   -41,   -41,   -41,   -41,   -41,   -41,     0,   -41,
     -41,   -41,   -41,   -52,     0,   -41,   -52,   -52,   -52,   -52,
     -52,   -52,   -52,   -52,   -52,   -52,   -52,   -52,   -52,     0,
       0,   -52,   -52,   -52,   -52,   -52,   -52,   -52,   -52,     0,
       0,     0,     0,   -52,   -52,     0,     0,     0,     0,     0,
       0,     0,     0,   -52,   -52,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,   -52,   -52,   -52,   -52,   -52,
     -52,   -52,     0,     0,   -52,   -52,   -52,   -52,   -52,   -52,
     -52,   -52,   -52,   -52,     0,   -52,   -52,   -52,   -52,   -44,
       0,   -52,   -44,   -44,   -44,   -44,   -44,   -44,   -44,   -44,
     -44,   -44,   -44,   -44,   -44,     0,     0,   -44,   -44,   -44,
     -44,   -44,   -44,   -44,   -44,     0,     0,     0,     0,   -44,
     -44,     0,     0,     0,     0,     0,     0,     0,     0,   -44,
     -44,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,   -44,   -44,   -44,   -44,   -44,   -44,   -44,     0,     0,
     -44,   -44,   -44,   -44,   -44,   -44,   -44,   -44,   -44,   -44,
       0,   -44,   -44,   -44,   -44,   -43,     0,   -44,   -43,   -43,
     -43,   -43,   -43,   -43,   -43,   -43,   -43,   -43,   -43,   -43,
     -43,     0,     0,   -43,   -43,   -43,   -43,   -43,   -43,   -43,
     -43,     0,     0,     0,     0,   -43,   -43,     0,     0,     0,
       0,     0,     0,     0,     0,   -43,   -43,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,   -43,   -43,   -43,
     -43,   -43,   -43,   -43,     0,     0,   -43,   -43,   -43,   -43,
     -43,   -43,   -43,   -43,   -43,   -43,     0,   -43,   -43,   -43,
     -43,   -74,     0,   -43,   -74,   -74,   -74,   -74,   -74,   -74,
     -74,   -74,   -74,   -74,   -74,   -74,   -74,     0,     0,   -74,
     -74,   -74,   -74,   -74,   -74,   -74,   -74,     0,     0,     0,
       0,   -74,   -74,     0,     0,     0,     0,     0,     0,     0,
       0,   -74,   -74,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,   -74,   -74,   -74,   -74,   -74,   -74,   -74,
       0,     0,   -74,   -74,   -74,   -74,   -74,   -74,   -74,   -74,
     -74,   -74,     0,   -74,   -74,   -74,   -74,   -37,     0,   -74,
     -37,   -37,   -37,   -37,   -37,   -37,   -37,   -37,   -37,   -37,
     -37,   -37,   -37,     0,     0,   -37,   -37,   -37,   -37,   -37,
     -37,   -37,   -37,     0,     0,     0,     0,   -37,   -37,     0,
       0,     0,     0,     0,     0,     0,     0,   -37,   -37,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,   -37,
     -37,   -37,   -37,   -37,   -37,   -37,     0,     0,   -37,   -37,
     -37,   -37,   -37,   -37,   -37,   -37,   -37,   -37,     0,   -37,
     -37,   -37,   -37,   -38,     0,   -37,   -38,   -38,   -38,   -38,
     -38,   -38,   -38,   -38,   -38,   -38,   -38,   -38,   -38,     0,
       0,   -38,   -38,   -38,   -38,   -38,   -38,   -38,   -38,     0,
       0,     0,     0,   -38,   -38,     0,     0,     0,     0,     0,
       0,     0,     0,   -38,   -38,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,   -38,   -38,   -38,   -38,   -38,
     -38,   -38,     0,     0,   -38,   -38,   -38,   -38,   -38,   -38,
     -38,   -38,   -38,   -38,     0,   -38,   -38,   -38,   -38,   -18,
       0,   -38,   -18,   -18,   -18,   -18,   -18,   -18,   -18,   -18,
     -18,   -18,   -18,   -18,   -18,     0,     0,   -18,   -18,   -18,
     -18,   -18,   -18,   -18,   -18,     0,     0,     0,     0,   -18,
     -18,     0,     0,     0,     0,     0,     0,     0,     0,   -18,
     -18,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,   -18,   -18,   -18,   -18,   -18,   -18,   -18,     0,     0,
     -18,   -18,   -18,   -18,   -18,   -18,   -18,   -18,   -18,   -18,
       0,   -18,   -18,   -18,   -18,   -34,     0,   -18,   -34,   -34,
     -34,   -34,   -34,   -34,   -34,   -34,   -34,   -34,   -34,   -34,
     -34,     0,     0,   -34,   -34,   -34,   -34,   -34,   -34,   -34,
     -34,     0,     0,     0,     0,   -34,   -34,     0,     0,     0,
       0,     0,     0,     0,     0,   -34,   -34,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,   -34,   -34,   -34,
     -34,   -34,   -34,   -34,     0,     0,   -34,   -34,   -34,   -34,
     -34,   -34,   -34,   -34,   -34,   -34,     0,   -34,   -34,   -34,
     -34,   -28,     0,   -34,   -28,   -28,   -28,   -28,   -28,   -28,
     -28,   -28,   -28,   -28,   -28,   -28,   -28,     0,     0,   -28,
     -28,   -28,   -28,   -28,   -28,   -28,   -28,     0,     0,     0,
       0,   -28,   -28,     0,     0,     0,     0,     0,     0,     0,
       0,   -28,   -28,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,   -28,   -28,   -28,   -28,   -28,   -28,   -28,
       0,     0,   -28,   -28,   -28,   -28,   -28,   -28,   -28,   -28,
     -28,   -28,     0,   -28,   -28,   -28,   -28,   -30,     0,   -28,
     -30,   -30,   -30,   -30,   -30,   -30,   -30,   -30,   -30,   -30,
     -30,   -30,   -30,     0,     0,   -30,   -30,   -30,   -30,   -30,
     -30,   -30,   -30,     0,     0,     0,     0,   -30,   -30,     0,
       0,     0,     0,     0,     0,     0,     0,   -30,   -30,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,   -30,
     -30,   -30,   -30,   -30,   -30,   -30,     0,     0,   -30,   -30,
     -30,   -30,   -30,   -30,   -30,   -30,   -30,   -30,     0,   -30,
     -30,   -30,   -30,   -36,     0,   -30,   -36,   -36,   -36,   -36,
     -36,   -36,   -36,   -36,   -36,   -36,   -36,   -36,   -36,     0,
       0,   -36,   -36,   -36,   -36,   -36,   -36,   -36,   -36,     0,
       0,     0,     0,   -36,   -36,     0,     0,     0,     0,     0,
       0,     0,     0,   -36,   -36,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,   -36,   -36,   -36,   -36,   -36,
     -36,   -36,     0,     0,   -36,   -36,   -36,   -36,   -36,   -36,
     -36,   -36,   -36,   -36,     0,   -36,   -36,   -36,   -36,   -86,
       0,   -36,   -86,   -86,   -86,   -86,   -86,   -86,   -86,   -86,
     -86,   -86,   -86,   -86,   -86,     0,     0,   -86,   -86,   -86,
     -86,   -86,   -86,   -86,   -86,     0,     0,     0,     0,   -86,
     -86,     0,     0,     0,     0,     0,     0,     0,     0,   -86,
     -86,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,   -86,   -86,   -86,   -86,   -86,   -86,   -86,     0,     0,
     -86,   -86,   -86,   -86,   -86,   -86,   -86,   -86,   -86,   -86,
       0,   -86,   -86,   -86,   -86,   -87,     0,   -86,   -87,   -87,
     -87,   -87,   -87,   -87,   -87,   -87,   -87,   -87,   -87,   -87,
     -87,     0,     0,   -87,   -87,   -87,   -87,   -87,   -87,   -87,
     -87,     0,     0,     0,     0,   -87,   -87,     0,     0,     0,
       0,     0,     0,     0,     0,   -87,   -87,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,   -87,   -87,   -87,
     -87,   -87,   -87,   -87,     0,     0,   -87,   -87,   -87,   -87,
     -87,   -87,   -87,   -87,   -87,   -87,     0,   -87,   -87,   -87,
     -87,   -20,     0,   -87,   -20,   -20,   -20,   -20,   -20,   -20,
     -20,   -20,   -20,   -20,   -20,   -20,   -20,     0,     0,   -20,
     -20,   -20,   -20,   -20,   -20,   -20,   -20,     0,     0,     0,
       0,   -20,   -20,     0,     0,     0,     0,     0,     0,     0,
       0,   -20,   -20,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,   -20,   -20,   -20,   -20,   -20,   -20,   -20,
       0,     0,   -20,   -20,   -20,   -20,   -20,   -20,   -20,   -20,
     -20,   -20,     0,   -20,   -20,   -20,   -20,   -22,     0,   -20,
     -22,   -22,   -22,   -22,   -22,   -22,   -22,   -22,   -22,   -22,
     -22,   -22,   -22,     0,     0,   -22,   -22,   -22,   -22,   -22,
     -22,   -22,   -22,     0,     0,     0,     0,   -22,   -22,     0,
       0,     0,     0,     0,     0,     0,     0,   -22,   -22,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,   -22,
     -22,   -22,   -22,   -22,   -22,   -22,     0,     0,   -22,   -22,
     -22,   -22,   -22,   -22,   -22,   -22,   -22,   -22,     0,   -22,
     -22,   -22,   -22,   -21,     0,   -22,   -21,   -21,   -21,   -21,
     -21,   -21,   -21,   -21,   -21,   -21,   -21,   -21,   -21,     0,
       0,   -21,   -21,   -21,   -21,   -21,   -21,   -21,   -21,     0,
       0,     0,     0,   -21,   -21,     0,     0,     0,     0,     0,
       0,     0,     0,   -21,   -21,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,   -21,   -21,   -21,   -21,   -21,
     -21,   -21,     0,     0,   -21,   -21,   -21,   -21,   -21,   -21,
     -21,   -21,   -21,   -21,     0,   -21,   -21,   -21,   -21,   -42,
       0,   -21,   -42,   -42,   -42,   -42,   -42,   -42,   -42,   -42,
     -42,   -42,   -42,   -42,   -42,     0,     0,   -42,   -42,   -42,
     -42,   -42,   -42,   -42,   -42,     0,     0,     0,     0,   -42,
     -42,     0,     0,     0,     0,     0,     0,     0,     0,   -42,
     -42,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,   -42,   -42,   -42,   -42,   -42,   -42,   -42,     0,     0,
     -42,   -42,   -42,   -42,   -42,   -42,   -42,   -42,   -42,   -42,
       0,   -42,   -42,   -42,   -42,   -53,     0,   -42,   -53,   -53,
     -53,   -53,   -53,   -53,   -53,   -53,   -53,   -53,   -53,   -53,
     -53,     0,     0,   -53,   -53,   -53,   -53,   -53,   -53,   -53,
     -53,     0,     0,     0,     0,   -53,   -53,     0,     0,     0,
       0,     0,     0,     0,     0,   -53,   -53,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,   -53,   -53,   -53,
     -53,   -53,   -53,   -53,     0,     0,   -53,   -53,   -53,   -53,
     -53,   -53,   -53,   -53,   -53,   -53,     0,   -53,   -53,   -53,
     -53,   -55,     0,   -53,   -55,   -55,   -55,   -55,   -55,   -55,
     -55,   -55,   -55,   -55,   -55,   -55,   -55,     0,     0,   -55,
     -55,   -55,   -55,   -55,   -55,   -55,   -55,     0,     0,     0,
       0,   -55,   -55,     0,     0,     0,     0,     0,     0,     0,
       0,   -55,   -55,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,   -55,   -55,   -55,   -55,   -55,   -55,   -55,
       0,     0,   -55,   -55,   -55,   -55,   -55,   -55,   -55,   -55,
     -55,   -55,     0,   -55,   -55,   -55,   -55,   -54,     0,   -55,
     -54,   -54,   -54,   -54,   -54,   -54,   -54,   -54,   -54,   -54,
     -54,   -54,   -54,     0,     0,   -54,   -54,   -54,   -54,   -54,
     -54,   -54,   -54,     0,     0,     0,     0,   -54,   -54,     0,
       0,     0,     0,     0,     0,     0,     0,   -54,   -54,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,   -54,
     -54,   -54,   -54,   -54,   -54,   -54,     0,     0,   -54,   -54,
     -54,   -54,   -54,   -54,   -54,   -54,   -54,   -54,     0,   -54,
     -54,   -54,   -54,   -73,     0,   -54,   -73,   -73,   -73,   -73,
     -73,   -73,   -73,   -73,   -73,   -73,   -73,   -73,   -73,     0,
       0,   -73,   -73,   -73,   -73,   -73,   -73,   -73,   -73,     0,
       0,     0,     0,   -73,   -73,     0,     0,     0,     0,     0,
       0,     0,     0,   -73,   -73,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,   -73,   -73,   -73,   -73,   -73,
     -73,   -73,     0,     0,   -73,   -73,   -73,   -73,   -73,   -73,
     -73,   -73,   -73,   -73,     0,   -73,   -73,   -73,   -73,   -49,
       0,   -73,   -49,   -49,   -49,   -49,   -49,   -49,   -49,   -49,
     -49,   -49,   -49,   -49,   -49,     0,     0,   -49,   -49,   -49,
     -49,   -49,   -49,   -49,   -49,     0,     0,     0,     0,   -49,
     -49,     0,     0,     0,     0,     0,     0,     0,     0,   -49,
     -49,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,   -49,   -49,   -49,   -49,   -49,   -49,   -49,     0,     0,
     -49,   -49,   -49,   -49,   -49,   -49,   -49,   -49,   -49,   -49,
       0,   -49,   -49,   -49,   -49,   -51,     0,   -49,   -51,   -51,
     -51,   -51,   -51,   -51,   -51,   -51,   -51,   -51,   -51,   -51,
     -51,     0,     0,   -51,   -51,   -51,   -51,   -51,   -51,   -51,
     -51,     0,     0,     0,     0,   -51,   -51,     0,     0,     0,
       0,     0,     0,     0,     0,   -51,   -51,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,   -51,   -51,   -51,
     -51,   -51,   -51,   -51,     0,     0,   -51,   -51,   -51,   -51,
     -51,   -51,   -51,   -51,   -51,   -51,     0,   -51,   -51,   -51,
     -51,   -79,     0,   -51,   -79,   -79,   -79,   -79,   -79,   -79,
     -79,   -79,   -79,   -79,   -79,   -79,   -79,     0,     0,   -79,
     -79,   -79,   -79,   -79,   -79,   -79,   -79,     0,     0,     0,
       0,   -79,   -79,     0,     0,     0,     0,     0,     0,     0,
       0,   -79,   -79,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,   -79,   -79,   -79,   -79,   -79,   -79,   -79,
       0,     0,   -79,   -79,   -79,   -79,   -79,   -79,   -79,   -79,
     -79,   -79,     0,   -79,   -79,   -79,   -79,   -24,     0,   -79,
     -24,   -24,   -24,   -24,   -24,   -24,   -24,   -24,   -24,   -24,
     -24,   -24,   -24,     0,     0,   -24,   -24,   -24,   -24,   -24,
     -24,   -24,   -24,     0,     0,     0,     0,   -24,   -24,     0,
       0,     0,     0,     0,     0,     0,     0,   -24,   -24,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,   -24,
     -24,   -24,   -24,   -24,   -24,   -24,     0,     0,   -24,   -24,
     -24,   -24,   -24,   -24,   -24,   -24,   -24,   -24,     0,   -24,
     -24,   -24,   -24,   -59,     0,   -24,   -59,   -59,   -59,   -59,
     -59,   -59,   -59,   -59,   -59,   -59,   -59,   -59,   -59,     0,
       0,   -59,   -59,   -59,   -59,   -59,   -59,   -59,   -59,     0,
       0,     0,     0,   -59,   -59,     0,     0,     0,     0,     0,
       0,     0,     0,   -59,   -59,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,   -59,   -59,   -59,   -59,   -59,
     -59,   -59,     0,     0,   -59,   -59,   -59,   -59,   -59,   -59,
     -59,   -59,   -59,   -59,     0,   -59,   -59,   -59,   -59,    -5,
       0,   -59,    -5,    -5,    -5,     0,    -5,     0,     0,    -5,
      -5,    -5,    -5,    -5,    -5,     0,     0,    -5,    -5,    -5,
      -5,    -5,    -5,    -5,    -5,     0,     0,     0,     0,    -5,
      -5,     0,     0,     0,     0,     0,     0,     0,     0,    -5,
      -5,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,    -5,    -5,    -5,    -5,    -5,    -5,    -5,     0,     0,
      -5,    -5,    -5,    -5,    -5,    -5,    -5,    -5,    -5,    -5,
       0,    -5,     0,    -5,    -5,    -2,     0,    -5,     2,     3,
       4,     0,   -11,     0,     0,   -11,   -11,     5,     6,     7,
       8,     0,     0,     9,    10,    11,    12,    13,    14,    15,
      16,     0,     0,     0,     0,    17,    18,     0,     0,     0,
       0,     0,     0,     0,     0,    19,    20,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,    21,    22,    23,
      24,    25,    26,    27,     0,     0,    28,    29,    30,    31,
      32,    33,    34,    35,    36,    37,     0,    38,     0,    39,
      40,    -3,     0,    41,    -3,    -3,    -3,     0,    -3,     0,
       0,    -3,    -3,    -3,    -3,    -3,    -3,     0,     0,    -3,
      -3,    -3,    -3,    -3,    -3,    -3,    -3,     0,     0,     0,
       0,    -3,    -3,     0,     0,     0,     0,     0,     0,     0,
       0,    -3,    -3,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,    -3,    -3,    -3,    -3,    -3,    -3,    -3,
       0,     0,    -3,    -3,    -3,    -3,    -3,    -3,    -3,    -3,
      -3,    -3,     0,    -3,     0,    -3,    -3,    -6,     0,    -3,
      -6,    -6,    -6,     0,    -6,     0,     0,    -6,    -6,    -6,
      -6,    -6,    -6,     0,     0,    -6,    -6,    -6,    -6,    -6,
      -6,    -6,    -6,     0,     0,     0,     0,    -6,    -6,     0,
       0,     0,     0,     0,     0,     0,     0,    -6,    -6,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,    -6,
      -6,    -6,    -6,    -6,    -6,    -6,     0,     0,    -6,    -6,
      -6,    -6,    -6,    -6,    -6,    -6,    -6,    -6,     0,    -6,
       0,    -6,    -6,    -7,     0,    -6,    -7,    -7,    -7,     0,
      -7,     0,     0,    -7,    -7,    -7,    -7,    -7,    -7,     0,
       0,    -7,    -7,    -7,    -7,    -7,    -7,    -7,    -7,     0,
       0,     0,     0,    -7,    -7,     0,     0,     0,     0,     0,
       0,     0,     0,    -7,    -7,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,    -7,    -7,    -7,    -7,    -7,
      -7,    -7,     0,     0,    -7,    -7,    -7,    -7,    -7,    -7,
      -7,    -7,    -7,    -7,     0,    -7,     0,    -7,    -7,    -4,
       0,    -7,    -4,    -4,    -4,     0,    -4,     0,     0,    -4,
      -4,    -4,    -4,    -4,    -4,     0,     0,    -4,    -4,    -4,
      -4,    -4,    -4,    -4,    -4,     0,     0,     0,     0,    -4,
      -4,     0,     0,     0,     0,     0,     0,     0,     0,    -4,
      -4,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,    -4,    -4,    -4,    -4,    -4,    -4,    -4,     0,     0,
      -4,    -4,    -4,    -4,    -4,    -4,    -4,    -4,    -4,    -4,
       0,    -4,     0,    -4,    -4,  -111,     0,    -4,  -111,  -111,
    -111,     0,  -111,     0,     0,  -111,  -111,  -111,  -111,  -111,
    -111,     0,     0,  -111,  -111,  -111,  -111,  -111,  -111,  -111,
    -111,     0,     0,     0,     0,  -111,  -111,     0,     0,     0,
       0,     0,     0,     0,     0,  -111,  -111,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,  -111,  -111,  -111,
    -111,  -111,  -111,  -111,     0,     0,  -111,  -111,  -111,  -111,
    -111,  -111,  -111,  -111,  -111,  -111,     0,  -111,     0,  -111,
    -111,  -110,     0,  -111,  -110,  -110,  -110,     0,  -110,     0,
       0,  -110,  -110,  -110,  -110,  -110,  -110,     0,     0,  -110,
    -110,  -110,  -110,  -110,  -110,  -110,  -110,     0,     0,     0,
       0,  -110,  -110,     0,     0,     0,     0,     0,     0,     0,
       0,  -110,  -110,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,  -110,  -110,  -110,  -110,  -110,  -110,  -110,
       0,     0,  -110,  -110,  -110,  -110,  -110,  -110,  -110,  -110,
    -110,  -110,     0,  -110,     0,  -110,  -110,     0,     1,  -110,
       2,     3,     4,     0,   -11,     0,     0,   -11,   -11,     5,
       6,     7,     8,     0,     0,     9,    10,    11,    12,    13,
      14,    15,    16,     0,     0,     0,     0,    17,    18,     0,
       0,     0,     0,     0,     0,     0,     0,    19,    20,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,    21,
      22,    23,    24,    25,    26,    27,     0,     0,    28,    29,
      30,    31,    32,    33,    34,    35,    36,    37,     0,    38,
       0,    39,    40,     0,   -13,    41,   -13,   -13,   -13,     0,
     -13,     0,     0,   -13,   -13,   -13,   -13,   -13,   -13,     0,
       0,   -13,   -13,   -13,   -13,   -13,   -13,   -13,   -13,     0,
       0,     0,     0,   -13,   -13,     0,     0,     0,     0,     0,
       0,     0,     0,   -13,   -13,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,   -13,   -13,   -13,   -13,   -13,
     -13,   -13,     0,     0,   -13,   -13,   -13,   -13,   -13,   -13,
     -13,     0,   -13,   -13,     0,   -13,   -13,   -13,   -13,     0,
     331,   -13,     2,     3,     4,     0,   -11,     0,     0,   -11,
     -11,     5,     6,     7,     8,     0,     0,     9,    10,    11,
      12,    13,    14,    15,    16,     0,     0,     0,     0,    17,
      18,     0,     0,     0,     0,     0,     0,     0,     0,    19,
      20,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,    21,    22,    23,    24,    25,    26,    27,     0,     0,
      28,    29,    30,    31,    32,    33,    34,     0,    36,    37,
       0,    38,   332,    39,    40,     0,   -60,    41,   -60,   -60,
     -60,     0,   -60,     0,     0,   -60,   -60,   -60,   -60,   -60,
     -60,     0,     0,   -60,   -60,   -60,   -60,   -60,   -60,   -60,
     -60,     0,     0,     0,     0,   -60,   -60,     0,     0,     0,
       0,     0,     0,     0,     0,   -60,   -60,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,   -60,   -60,   -60,
     -60,   -60,   -60,   -60,     0,     0,   -60,   -60,   -60,   -60,
     -60,   -60,   -60,     0,   -60,   -60,     0,   -60,     0,   -60,
     -60,     0,   -62,   -60,   -62,   -62,   -62,     0,   -62,     0,
       0,   -62,   -62,   -62,   -62,   -62,   -62,     0,     0,   -62,
     -62,   -62,   -62,   -62,   -62,   -62,   -62,     0,     0,     0,
       0,   -62,   -62,     0,     0,     0,     0,     0,     0,     0,
       0,   -62,   -62,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,   -62,   -62,   -62,   -62,   -62,   -62,   -62,
       0,     0,   -62,   -62,   -62,   -62,   -62,   -62,   -62,     0,
     -62,   -62,     0,   -62,     0,   -62,   -62,     0,   -69,   -62,
     -69,   -69,   -69,     0,   -69,     0,     0,   -69,   -69,   -69,
     -69,   -69,   -69,     0,     0,   -69,   -69,   -69,   -69,   -69,
     -69,   -69,   -69,     0,     0,     0,     0,   -69,   -69,     0,
       0,     0,     0,     0,     0,     0,     0,   -69,   -69,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,   -69,
     -69,   -69,   -69,   -69,   -69,   -69,     0,     0,   -69,   -69,
     -69,   -69,   -69,   -69,   -69,     0,   -69,   -69,     0,   -69,
       0,   -69,   -69,     0,   331,   -69,     2,     3,     4,     0,
     -11,     0,     0,   -11,   -11,     5,     6,     7,     8,     0,
       0,     9,    10,    11,    12,    13,    14,    15,    16,     0,
       0,     0,     0,    17,    18,     0,     0,     0,     0,     0,
       0,     0,     0,    19,    20,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,    21,    22,    23,    24,    25,
      26,    27,     0,     0,    28,    29,    30,    31,    32,    33,
      34,     0,    36,    37,     0,    38,     0,    39,    40,     0,
     -64,    41,   -64,   -64,   -64,     0,   -64,     0,     0,   -64,
     -64,   -64,   -64,   -64,   -64,     0,     0,   -64,   -64,   -64,
     -64,   -64,   -64,   -64,   -64,     0,     0,     0,     0,   -64,
     -64,     0,     0,     0,     0,     0,     0,     0,     0,   -64,
     -64,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,   -64,   -64,   -64,   -64,   -64,   -64,   -64,     0,     0,
     -64,   -64,   -64,   -64,   -64,   -64,   -64,     0,   -64,   -64,
       0,   -64,     0,   -64,   -64,     0,   -66,   -64,   -66,   -66,
     -66,     0,   -66,     0,     0,   -66,   -66,   -66,   -66,   -66,
     -66,     0,     0,   -66,   -66,   -66,   -66,   -66,   -66,   -66,
     -66,     0,     0,     0,     0,   -66,   -66,     0,     0,     0,
       0,     0,     0,     0,     0,   -66,   -66,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,   -66,   -66,   -66,
     -66,   -66,   -66,   -66,     0,     0,   -66,   -66,   -66,   -66,
     -66,   -66,   -66,   234,   -66,   -66,     0,   -66,     0,   -66,
     -66,     0,     0,   -66,     0,     0,     7,     0,     0,     0,
       0,    10,     0,     0,     0,    14,    15,    16,     0,     0,
       0,     0,    17,    18,     0,   157,     0,   158,   159,     0,
       0,     0,    19,    20,     0,     0,     0,     0,     0,     0,
       0,     0,     0,  -160,  -160,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,    22,    23,    24,    25,    26,
      27,     0,     0,    28,    29,    82,    31,    32,    33,    34,
    -160,     0,  -160,  -160,    38,  -160,  -160,    40,  -160,  -160,
      41,   -10,   -10,   -10,     0,   -10,   -10,   -10,   -10,   -10,
     -10,   -10,   -10,   -10,     0,     0,   -10,   -10,   -10,   -10,
     -10,   -10,   -10,   -10,     0,     0,     0,     0,   -10,   -10,
       0,     0,     0,     0,     0,     0,     0,     0,   -10,   -10,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
     -10,   -10,   -10,   -10,   -10,   -10,   -10,     0,     0,   -10,
     -10,   -10,   -10,   -10,   -10,   -10,     0,   -10,   -10,     0,
     -10,   -10,   -10,   -10,     0,     0,   -10,    -8,    -8,    -8,
       0,    -8,    -8,    -8,    -8,    -8,    -8,    -8,    -8,    -8,
       0,     0,    -8,    -8,    -8,    -8,    -8,    -8,    -8,    -8,
       0,     0,     0,     0,    -8,    -8,     0,     0,     0,     0,
       0,     0,     0,     0,    -8,    -8,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,    -8,    -8,    -8,    -8,
      -8,    -8,    -8,     0,     0,    -8,    -8,    -8,    -8,    -8,
      -8,    -8,     0,    -8,    -8,     0,    -8,    -8,    -8,    -8,
       0,     0,    -8,    -9,    -9,    -9,     0,    -9,    -9,    -9,
      -9,    -9,    -9,    -9,    -9,    -9,     0,     0,    -9,    -9,
      -9,    -9,    -9,    -9,    -9,    -9,     0,     0,     0,     0,
      -9,    -9,     0,     0,     0,     0,     0,     0,     0,     0,
      -9,    -9,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,    -9,    -9,    -9,    -9,    -9,    -9,    -9,     0,
       0,    -9,    -9,    -9,    -9,    -9,    -9,    -9,     0,    -9,
      -9,     0,    -9,    -9,    -9,    -9,     0,     0,    -9,     2,
       3,     4,     0,   -11,   -61,   -61,   -11,   -11,     5,     6,
       7,     8,     0,     0,     9,    10,    11,    12,    13,    14,
      15,    16,     0,     0,     0,     0,    17,    18,     0,     0,
       0,     0,     0,     0,     0,     0,    19,    20,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,    21,    22,
      23,    24,    25,    26,    27,     0,     0,    28,    29,    30,
      31,    32,    33,    34,     0,    36,    37,     0,    38,   -61,
      39,    40,     0,     0,    41,     2,     3,     4,     0,   -11,
     -63,   -63,   -11,   -11,     5,     6,     7,     8,     0,     0,
       9,    10,    11,    12,    13,    14,    15,    16,     0,     0,
       0,     0,    17,    18,     0,     0,     0,     0,     0,     0,
       0,     0,    19,    20,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,    21,    22,    23,    24,    25,    26,
      27,     0,     0,    28,    29,    30,    31,    32,    33,    34,
       0,    36,    37,     0,    38,   -63,    39,    40,     0,     0,
      41,     2,     3,     4,     0,   -11,   -65,   -65,   -11,   -11,
       5,     6,     7,     8,     0,     0,     9,    10,    11,    12,
      13,    14,    15,    16,     0,     0,     0,     0,    17,    18,
       0,     0,     0,     0,     0,     0,     0,     0,    19,    20,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
      21,    22,    23,    24,    25,    26,    27,     0,     0,    28,
      29,    30,    31,    32,    33,    34,     0,    36,    37,     0,
      38,   -65,    39,    40,     0,     0,    41,     2,     3,     4,
       0,   -11,   -67,   -67,   -11,   -11,     5,     6,     7,     8,
       0,     0,     9,    10,    11,    12,    13,    14,    15,    16,
       0,     0,     0,     0,    17,    18,     0,     0,     0,     0,
       0,     0,     0,     0,    19,    20,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,    21,    22,    23,    24,
      25,    26,    27,     0,     0,    28,    29,    30,    31,    32,
      33,    34,     0,    36,    37,     0,    38,   -67,    39,    40,
       0,     0,    41,     2,     3,     4,     0,   -11,     0,     0,
     -11,   -11,     5,     6,     7,     8,     0,     0,     9,    10,
      11,    12,    13,    14,    15,    16,     0,     0,     0,     0,
      17,    18,     0,     0,     0,     0,     0,     0,     0,     0,
      19,    20,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,    21,    22,    23,    24,    25,    26,    27,     0,
       0,    28,    29,    30,    31,    32,    33,    34,     0,    36,
      37,     0,    38,   365,    39,    40,     0,     0,    41,     2,
       3,     4,     0,   -11,     0,     0,   -11,   -11,     5,     6,
       7,     8,     0,     0,     9,    10,    11,    12,    13,    14,
      15,    16,     0,     0,     0,     0,    17,    18,     0,     0,
       0,     0,     0,     0,     0,     0,    19,    20,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,    21,    22,
      23,    24,    25,    26,    27,     0,     0,    28,    29,    30,
      31,    32,    33,    34,     0,    36,    37,     0,    38,   -70,
      39,    40,     0,     0,    41,     2,     3,     4,     0,   -11,
       0,     0,   -11,   -11,     5,     6,     7,     8,     0,     0,
       9,    10,    11,    12,    13,    14,    15,    16,     0,     0,
       0,     0,    17,    18,     0,     0,     0,     0,     0,     0,
       0,     0,    19,    20,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,    21,    22,    23,    24,    25,    26,
      27,     0,     0,    28,    29,    30,    31,    32,    33,    34,
       0,    36,    37,     0,   140,     0,    39,    40,     0,     0,
      41,   -50,   -50,   246,     0,   -50,     0,     0,   -50,   -50,
     -50,   -50,   -50,   -50,     0,     0,   -50,   -50,   -50,   -50,
     -50,   -50,   -50,   -50,     0,     0,     0,     0,   -50,   -50,
       0,     0,     0,     0,     0,     0,     0,     0,   -50,   -50,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
     -50,   -50,   -50,   -50,   -50,   -50,   -50,     0,     0,   -50,
     -50,   -50,   -50,   -50,   -50,   -50,     0,   -50,   -50,     0,
     -48,     0,   -50,   -50,     0,     0,   -50,     2,     3,     4,
       0,   -11,     0,     0,   -11,   -11,     5,     6,     7,     8,
       0,     0,     9,    10,    11,    12,    13,    14,    15,    16,
       0,     0,     0,     0,    17,    18,     0,     0,     0,     0,
       0,     0,     0,     0,    19,    20,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,    21,    22,    23,    24,
      25,    26,    27,     0,     0,    28,    29,    30,    31,    32,
      33,    34,     0,    36,    37,     0,    38,     0,    39,    40,
       0,     0,    41,   -45,   -45,   -45,     0,   -45,     0,     0,
     -45,   -45,   -45,   -45,   -45,   -45,     0,     0,   -45,   -45,
     -45,   -45,   -45,   -45,   -45,   -45,     0,     0,     0,     0,
     -45,   -45,     0,     0,     0,     0,     0,     0,     0,     0,
     -45,   -45,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,   -45,   -45,   -45,   -45,   -45,   -45,   -45,     0,
       0,   -45,   -45,   -45,   -45,   -45,   -45,   -45,     0,   -45,
     -45,     0,   -45,     0,   -45,   -45,     0,     0,   -45,   -57,
     -57,   -57,     0,   -57,     0,     0,   -57,   -57,   -57,   -57,
     -57,   -57,     0,     0,   -57,   -57,   -57,   -57,   -57,   -57,
     -57,   -57,     0,     0,     0,     0,   -57,   -57,     0,     0,
       0,     0,     0,     0,     0,     0,   -57,   -57,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,   -57,   -57,
     -57,   -57,   -57,   -57,   -57,     0,     0,   -57,   -57,   -57,
     -57,   -57,   -57,   -57,     0,   -57,   -57,     0,   -57,     0,
     -57,   -57,     0,     0,   -57,  -103,  -103,  -103,     0,  -103,
       0,     0,  -103,  -103,  -103,  -103,  -103,  -103,     0,     0,
    -103,  -103,  -103,  -103,  -103,  -103,  -103,  -103,     0,     0,
       0,     0,  -103,  -103,     0,     0,     0,     0,     0,     0,
       0,     0,  -103,  -103,     0,     7,     0,     0,     0,     0,
      10,     0,     0,     0,    14,    15,    16,     0,     0,     0,
       0,    17,    18,     0,  -103,  -103,  -103,  -103,  -103,  -103,
    -103,    19,    20,  -103,  -103,  -103,  -103,  -103,  -103,  -103,
       0,  -103,  -103,     0,  -103,     0,  -103,  -103,     0,     0,
    -103,     0,     0,    21,    22,    23,    24,    25,    26,    27,
     122,   123,    28,    29,    82,    31,    32,    33,    34,     0,
       0,     0,     7,    38,     0,     0,    40,    10,     0,    41,
       0,    14,    15,    16,     0,     0,     0,     0,    17,    18,
       0,     0,     0,     0,     0,     0,     0,     0,    19,    20,
       0,     7,     0,     0,     0,     0,    10,     0,     0,     0,
      14,    15,    16,     0,     0,     0,     0,    17,    18,     0,
      21,    22,    23,    24,    25,    26,    27,    19,    20,    28,
      29,    82,    31,    32,    33,    34,     0,     0,     0,     0,
      38,     0,    83,    40,     0,     0,    41,     0,     0,    21,
      22,    23,    24,    25,    26,    27,     0,     0,    28,    29,
      82,    31,    32,    33,    34,     0,     0,     0,     7,    38,
       0,    95,    40,    10,     0,    41,     0,    14,    15,    16,
       0,     0,     0,     0,    17,    18,     0,     0,     0,     0,
       0,     0,     0,     0,    19,    20,     0,  -101,     0,     0,
       0,     0,  -101,     0,     0,     0,  -101,  -101,  -101,     0,
       0,     0,     0,  -101,  -101,     0,    21,    22,    23,    24,
      25,    26,    27,  -101,  -101,    28,    29,    82,    31,    32,
      33,    34,     0,     0,     0,     0,    38,     0,  -104,    40,
       0,     0,    41,     0,     0,  -101,  -101,  -101,  -101,  -101,
    -101,  -101,     0,     0,  -101,  -101,  -101,  -101,  -101,  -101,
    -101,     0,     0,     0,  -102,  -101,     0,  -101,  -101,  -102,
       0,  -101,     0,  -102,  -102,  -102,     0,     0,     0,     0,
    -102,  -102,     0,     0,     0,     0,     0,     0,     0,     0,
    -102,  -102,     0,     7,     0,     0,     0,     0,    10,     0,
       0,     0,    14,    15,    16,     0,     0,     0,     0,    17,
      18,     0,  -102,  -102,  -102,  -102,  -102,  -102,  -102,    19,
      20,  -102,  -102,  -102,  -102,  -102,  -102,  -102,     0,     0,
       0,     0,  -102,     0,     0,  -102,  -102,     0,  -102,     0,
       0,    21,    22,    23,    24,    25,    26,    27,     0,     0,
      28,    29,    82,    31,    32,    33,    34,     0,     0,     0,
       0,    38,     0,     7,    40,  -104,     0,    41,    10,     0,
       0,     0,    14,    15,    16,     0,     0,     0,     0,    17,
      18,     0,     0,     0,     0,     0,     0,     0,     0,    19,
      20,     0,  -140,     0,     0,     0,     0,  -140,     0,     0,
       0,  -140,  -140,  -140,     0,     0,     0,     0,  -140,  -140,
       0,    21,    22,    23,    24,    25,    26,    27,  -140,  -140,
      28,    29,    82,    31,    32,    33,    34,     0,     0,     0,
       0,    38,     0,     0,    40,     0,     0,    41,     0,     0,
    -140,  -140,  -140,  -140,  -140,  -140,  -140,     0,     0,  -140,
    -140,  -140,  -140,  -140,  -140,  -140,     0,     0,     0,  -157,
    -140,     0,     0,  -140,  -157,     0,  -140,     0,  -157,  -157,
    -157,     0,     0,     0,     0,  -157,  -157,     0,     0,     0,
       0,     0,     0,     0,     0,  -157,  -157,     0,     7,     0,
       0,     0,     0,    10,     0,     0,     0,    14,    15,    16,
       0,     0,     0,     0,    17,    18,     0,  -157,  -157,  -157,
    -157,  -157,  -157,  -157,    19,    20,  -157,  -157,  -157,  -157,
    -157,  -157,  -157,     0,     0,     0,     0,  -157,     0,     0,
    -157,     0,     0,  -157,     0,     0,    21,    22,    23,    24,
      25,    26,    27,     0,     0,   300,    29,    82,   301,    32,
      33,    34,     0,     0,     0,     7,    38,     0,     0,    40,
      10,     0,    41,     0,    14,    15,    16,     0,     0,     0,
       0,    17,    18,     0,     0,     0,     0,     0,     0,     0,
       0,    19,    20,     0,     7,     0,     0,     0,     0,    10,
       0,     0,     0,    14,    15,    16,     0,     0,     0,     0,
      17,    18,     0,     0,    22,    23,    24,    25,    26,    27,
      19,    20,    28,    29,    82,    31,    32,    33,    34,     0,
       0,     0,     0,    38,     0,     0,    91,     0,     0,    41,
       0,     0,     0,    22,    23,    24,    25,    26,    27,     0,
       0,    28,    29,    82,    31,    32,    33,    34,     0,     0,
       0,  -161,    38,     0,     0,    40,  -161,     0,    41,     0,
    -161,  -161,  -161,     0,     0,     0,     0,  -161,  -161,     0,
       0,     0,     0,     0,     0,     0,     0,  -161,  -161,     0,
    -163,     0,     0,     0,     0,  -163,     0,     0,     0,  -163,
    -163,  -163,     0,     0,     0,     0,  -163,  -163,     0,     0,
    -161,  -161,  -161,  -161,  -161,  -161,  -163,  -163,  -161,  -161,
    -161,  -161,  -161,  -161,  -161,     0,     0,     0,     0,  -161,
       0,     0,  -161,     0,     0,  -161,     0,     0,     0,  -163,
    -163,  -163,  -163,  -163,  -163,     0,     0,  -163,  -163,  -163,
    -163,  -163,  -163,  -163,     0,     0,     0,   -91,  -163,     0,
       0,  -163,   -91,     0,  -163,     0,   -91,   -91,   -91,     0,
       0,     0,     0,   -91,   -91,     0,     0,     0,     0,     0,
       0,     0,     0,   -91,   -91,     0,   -95,     0,     0,     0,
       0,   -95,     0,     0,     0,   -95,   -95,   -95,     0,     0,
       0,     0,   -95,   -95,     0,     0,   -91,   -91,   -91,   -91,
     -91,   -91,   -95,   -95,   -91,   -91,   -91,   -91,   -91,   -91,
     -91,     0,     0,     0,     7,   -91,     0,     0,   -91,    10,
       0,   -91,     0,     0,     0,   -95,   -95,   -95,   -95,   -95,
     -95,     0,     0,   -95,   -95,   -95,   -95,   -95,   -95,   -95,
       0,     0,     0,  -158,   -95,     0,     0,   -95,  -158,     0,
     -95,     0,  -158,  -158,  -158,     0,     0,     0,     0,  -158,
    -158,     0,     0,    22,    23,    24,    25,    26,    27,  -158,
    -158,    28,    29,    82,    31,    32,    33,    34,     0,     0,
       0,     0,    38,     0,     0,    91,     0,     0,    41,     0,
       0,     0,  -158,  -158,  -158,  -158,  -158,  -158,     0,     0,
    -158,  -158,  -158,  -158,  -158,  -158,  -158,     0,     0,     0,
       0,  -158,     0,     0,  -158,  -234,     0,  -158,  -234,  -234,
    -234,  -234,     0,     0,  -234,  -234,  -234,  -234,  -234,  -234,
    -234,  -234,  -234,  -234,  -234,  -234,  -234,  -234,  -234,  -234,
    -234,  -234,  -234,  -234,  -234,  -234,  -234,  -234,  -234,  -234,
    -234,  -234,  -234,  -234,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,  -234,     0,  -234,  -234,  -234,  -234,  -234,
    -234,  -234,  -234,  -234,  -235,     0,     0,  -235,  -235,  -235,
    -235,     0,     0,  -235,  -235,  -235,  -235,  -235,  -235,  -235,
    -235,  -235,  -235,  -235,  -235,  -235,  -235,  -235,  -235,  -235,
    -235,  -235,  -235,  -235,  -235,  -235,  -235,  -235,  -235,  -235,
    -235,  -235,  -235,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,  -235,     0,  -235,  -235,  -235,  -235,  -235,  -235,
    -235,  -235,  -235,  -237,     0,     0,  -237,  -237,  -237,  -237,
       0,     0,  -237,  -237,  -237,  -237,  -237,  -237,  -237,  -237,
    -237,  -237,  -237,  -237,  -237,  -237,  -237,  -237,  -237,  -237,
    -237,  -237,  -237,  -237,  -237,  -237,  -237,  -237,  -237,  -237,
    -237,  -237,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,  -237,     0,  -237,  -237,  -237,  -237,  -237,  -237,  -237,
    -237,  -237,  -239,     0,     0,  -239,  -239,  -239,  -239,     0,
       0,  -239,  -239,  -239,  -239,  -239,  -239,  -239,  -239,  -239,
    -239,  -239,  -239,  -239,  -239,  -239,  -239,  -239,  -239,  -239,
    -239,  -239,  -239,  -239,  -239,  -239,  -239,  -239,  -239,  -239,
    -239,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
    -239,     0,  -239,  -239,  -239,  -239,  -239,  -239,  -239,  -239,
    -239,  -240,     0,     0,  -240,  -240,  -240,  -240,     0,     0,
    -240,  -240,  -240,  -240,  -240,  -240,  -240,  -240,  -240,  -240,
    -240,  -240,  -240,  -240,  -240,  -240,  -240,  -240,  -240,  -240,
    -240,  -240,  -240,  -240,  -240,  -240,  -240,  -240,  -240,  -240,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,  -240,
       0,  -240,  -240,  -240,  -240,  -240,  -240,  -240,  -240,  -240,
    -236,     0,     0,  -236,  -236,  -236,  -236,     0,     0,  -236,
    -236,  -236,  -236,  -236,  -236,  -236,  -236,  -236,  -236,  -236,
    -236,  -236,  -236,  -236,  -236,  -236,  -236,  -236,  -236,  -236,
    -236,  -236,  -236,  -236,  -236,  -236,  -236,  -236,  -236,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,  -236,     0,
    -236,  -236,  -236,  -236,  -236,  -236,  -236,  -236,  -236,  -241,
       0,     0,  -241,  -241,  -241,  -241,     0,     0,  -241,  -241,
    -241,  -241,  -241,  -241,  -241,  -241,  -241,  -241,  -241,  -241,
    -241,  -241,  -241,  -241,  -241,  -241,  -241,  -241,  -241,  -241,
    -241,  -241,  -241,  -241,  -241,  -241,  -241,  -241,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,  -241,     0,  -241,
    -241,  -241,  -241,  -241,  -241,  -241,  -241,  -241,  -118,     0,
       0,  -118,  -118,  -118,  -118,     0,     0,  -118,  -118,  -118,
    -118,  -118,  -118,  -118,  -118,  -118,  -118,  -118,  -118,  -118,
    -118,  -118,  -118,  -118,  -118,  -118,  -118,  -118,  -118,  -118,
    -118,  -118,  -118,  -118,  -118,  -118,  -118,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,  -118,     0,  -118,  -118,
    -118,  -118,  -118,  -118,  -118,  -118,  -118,  -119,     0,     0,
    -119,  -119,  -119,  -119,     0,     0,  -119,  -119,  -119,  -119,
    -119,  -119,  -119,  -119,  -119,  -119,  -119,  -119,  -119,  -119,
    -119,  -119,  -119,  -119,  -119,  -119,  -119,  -119,  -119,  -119,
    -119,  -119,  -119,  -119,  -119,  -119,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,  -119,     0,  -119,  -119,  -119,
    -119,  -119,  -119,  -119,  -119,  -119,  -220,     0,     0,  -220,
    -220,  -220,  -220,     0,     0,  -220,  -220,  -220,  -220,  -220,
    -220,  -220,  -220,  -220,  -220,  -220,  -220,  -220,  -220,  -220,
    -220,  -220,  -220,  -220,  -220,  -220,  -220,  -220,  -220,  -220,
    -220,  -220,  -220,  -220,  -220,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,  -220,     0,  -220,  -220,   190,  -220,
    -220,   191,  -220,  -220,   192,  -208,     0,     0,  -208,  -208,
    -208,  -208,     0,     0,  -208,  -208,  -208,  -208,  -208,  -208,
    -208,  -208,  -208,  -208,  -208,  -208,  -208,  -208,  -208,  -208,
    -208,  -208,  -208,  -208,  -208,  -208,  -208,  -208,  -208,  -208,
    -208,  -208,  -208,  -208,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,  -208,     0,  -208,  -208,  -208,  -208,  -208,
    -208,  -208,  -208,  -208,  -205,     0,     0,  -205,  -205,  -205,
    -205,     0,     0,  -205,  -205,  -205,  -205,  -205,  -205,  -205,
    -205,  -205,  -205,  -205,  -205,  -205,  -205,  -205,  -205,  -205,
    -205,  -205,  -205,  -205,  -205,  -205,  -205,  -205,  -205,  -205,
    -205,  -205,  -205,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,  -205,     0,  -205,  -205,   190,  -205,  -205,   196,
    -205,  -205,   197,  -207,     0,     0,  -207,  -207,  -207,  -207,
       0,     0,  -207,  -207,  -207,  -207,  -207,  -207,  -207,  -207,
    -207,  -207,  -207,  -207,  -207,  -207,  -207,  -207,  -207,  -207,
    -207,  -207,  -207,  -207,  -207,  -207,  -207,  -207,  -207,  -207,
    -207,  -207,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,  -207,     0,  -207,  -207,  -207,  -207,  -207,  -207,  -207,
    -207,  -207,  -238,     0,     0,  -238,  -238,  -238,  -238,     0,
       0,  -238,  -238,  -238,  -238,  -238,  -238,  -238,  -238,  -238,
    -238,  -238,  -238,  -238,  -238,  -238,  -238,  -238,  -238,  -238,
    -238,  -238,  -238,  -238,  -238,  -238,  -238,  -238,  -238,  -238,
    -238,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
    -238,     0,  -238,  -238,  -238,  -238,  -238,  -238,  -238,  -238,
    -238,  -222,     0,     0,  -222,  -222,  -222,  -222,     0,     0,
    -222,  -222,  -222,  -222,  -222,  -222,  -222,  -222,  -222,  -222,
    -222,  -222,  -222,  -222,  -222,  -222,  -222,  -222,  -222,  -222,
    -222,  -222,  -222,  -222,  -222,  -222,  -222,  -222,  -222,  -222,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,  -222,
       0,  -222,  -222,  -222,  -222,  -222,  -222,  -222,  -222,  -222,
    -215,     0,     0,  -215,  -215,  -215,  -215,     0,     0,  -215,
    -215,  -215,  -215,  -215,  -215,  -215,  -215,  -215,  -215,  -215,
    -215,  -215,  -215,  -215,  -215,  -215,  -215,  -215,  -215,  -215,
    -215,  -215,  -215,  -215,  -215,  -215,  -215,  -215,  -215,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,  -215,     0,
    -215,  -215,  -215,  -215,  -215,  -215,  -215,  -215,  -215,  -223,
       0,     0,  -223,  -223,  -223,  -223,     0,     0,  -223,  -223,
    -223,  -223,  -223,  -223,  -223,  -223,  -223,  -223,  -223,  -223,
    -223,  -223,  -223,  -223,  -223,  -223,  -223,  -223,  -223,  -223,
    -223,  -223,  -223,  -223,  -223,  -223,  -223,  -223,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,  -223,     0,  -223,
    -223,  -223,  -223,  -223,  -223,  -223,  -223,  -223,  -213,     0,
       0,  -213,  -213,  -213,  -213,     0,     0,  -213,  -213,  -213,
    -213,  -213,  -213,  -213,  -213,  -213,  -213,  -213,  -213,  -213,
    -213,  -213,  -213,  -213,  -213,  -213,  -213,  -213,  -213,  -213,
    -213,  -213,  -213,  -213,  -213,  -213,  -213,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,  -213,     0,  -213,  -213,
    -213,  -213,  -213,  -213,  -213,  -213,  -213,  -123,     0,     0,
    -123,  -123,  -123,  -123,     0,     0,  -123,  -123,  -123,  -123,
    -123,  -123,  -123,  -123,  -123,  -123,  -123,  -123,  -123,  -123,
    -123,  -123,  -123,  -123,  -123,  -123,  -123,  -123,  -123,  -123,
    -123,  -123,  -123,  -123,  -123,  -123,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,  -123,     0,  -123,  -123,  -123,
    -123,  -123,  -123,  -123,  -123,  -123,  -242,     0,     0,  -242,
    -242,  -242,  -242,     0,     0,  -242,  -242,  -242,  -242,  -242,
    -242,  -242,  -242,  -242,  -242,  -242,  -242,  -242,  -242,  -242,
    -242,  -242,  -242,  -242,  -242,  -242,  -242,  -242,  -242,  -242,
    -242,  -242,  -242,  -242,  -242,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,  -242,     0,  -242,  -242,  -242,  -242,
    -242,  -242,  -242,  -242,  -242,  -127,     0,     0,  -127,  -127,
    -127,  -127,     0,     0,  -127,  -127,  -127,  -127,  -127,  -127,
    -127,  -127,  -127,  -127,  -127,  -127,  -127,  -127,  -127,  -127,
    -127,  -127,  -127,  -127,  -127,  -127,  -127,  -127,  -127,  -127,
    -127,  -127,  -127,  -127,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,  -127,     0,  -127,  -127,  -127,  -127,  -127,
    -127,  -127,  -127,  -127,  -214,     0,     0,  -214,  -214,  -214,
    -214,     0,     0,  -214,  -214,  -214,  -214,  -214,  -214,  -214,
    -214,  -214,  -214,  -214,  -214,  -214,  -214,  -214,  -214,  -214,
    -214,  -214,  -214,  -214,  -214,  -214,  -214,  -214,  -214,  -214,
    -214,  -214,  -214,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,  -214,     0,  -214,  -214,  -214,  -214,  -214,  -214,
    -214,  -214,  -214,  -209,     0,     0,  -209,  -209,  -209,  -209,
       0,     0,  -209,  -209,  -209,  -209,  -209,  -209,  -209,  -209,
    -209,  -209,  -209,  -209,  -209,  -209,  -209,  -209,  -209,  -209,
    -209,  -209,  -209,  -209,  -209,  -209,  -209,  -209,  -209,  -209,
    -209,  -209,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,  -209,     0,  -209,  -209,  -209,  -209,  -209,  -209,  -209,
    -209,  -209,  -224,     0,     0,  -224,  -224,  -224,  -224,     0,
       0,  -224,  -224,  -224,  -224,  -224,  -224,  -224,  -224,  -224,
    -224,  -224,  -224,  -224,  -224,  -224,  -224,  -224,  -224,  -224,
    -224,  -224,  -224,  -224,  -224,  -224,  -224,  -224,  -224,  -224,
    -224,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
    -224,     0,  -224,  -224,  -224,  -224,  -224,  -224,  -224,  -224,
    -224,  -121,     0,     0,  -121,  -121,  -121,  -121,     0,     0,
    -121,  -121,  -121,  -121,  -121,  -121,  -121,  -121,  -121,  -121,
    -121,  -121,  -121,  -121,  -121,  -121,  -121,  -121,  -121,  -121,
    -121,  -121,  -121,  -121,  -121,  -121,  -121,  -121,  -121,  -121,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,  -121,
       0,  -121,  -121,  -121,  -121,  -121,  -121,  -121,  -121,  -121,
    -125,     0,     0,  -125,  -125,  -125,  -125,     0,     0,  -125,
    -125,  -125,  -125,  -125,  -125,  -125,  -125,  -125,  -125,  -125,
    -125,  -125,  -125,  -125,  -125,  -125,  -125,  -125,  -125,  -125,
    -125,  -125,  -125,  -125,  -125,  -125,  -125,  -125,  -125,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,  -125,     0,
    -125,  -125,  -125,  -125,  -125,  -125,  -125,  -125,  -125,  -227,
       0,     0,  -227,  -227,  -227,  -227,     0,     0,  -227,  -227,
    -227,  -227,  -227,  -227,  -227,  -227,  -227,  -227,  -227,  -227,
    -227,  -227,  -227,  -227,  -227,  -227,  -227,  -227,  -227,  -227,
    -227,  -227,  -227,  -227,  -227,  -227,  -227,  -227,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,  -227,     0,  -227,
    -227,  -227,  -227,  -227,  -227,  -227,  -227,  -227,  -211,     0,
       0,  -211,  -211,  -211,  -211,     0,     0,  -211,  -211,  -211,
    -211,  -211,  -211,  -211,  -211,  -211,  -211,  -211,  -211,  -211,
    -211,  -211,  -211,  -211,  -211,  -211,  -211,  -211,  -211,  -211,
    -211,  -211,  -211,  -211,  -211,  -211,  -211,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,  -211,     0,  -211,  -211,
    -211,  -211,  -211,  -211,  -211,  -211,  -211,  -210,     0,     0,
    -210,  -210,  -210,  -210,     0,     0,  -210,  -210,  -210,  -210,
    -210,  -210,  -210,  -210,  -210,  -210,  -210,  -210,  -210,  -210,
    -210,  -210,  -210,  -210,  -210,  -210,  -210,  -210,  -210,  -210,
    -210,  -210,  -210,  -210,  -210,  -210,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,  -210,     0,  -210,  -210,  -210,
    -210,  -210,  -210,  -210,  -210,  -210,  -212,     0,     0,  -212,
    -212,  -212,  -212,     0,     0,  -212,  -212,  -212,  -212,  -212,
    -212,  -212,  -212,  -212,  -212,  -212,  -212,  -212,  -212,  -212,
    -212,  -212,  -212,  -212,  -212,  -212,  -212,  -212,  -212,  -212,
    -212,  -212,  -212,  -212,  -212,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,  -212,     0,  -212,  -212,  -212,  -212,
    -212,  -212,  -212,  -212,  -212,  -225,     0,     0,  -225,  -225,
    -225,  -225,     0,     0,  -225,  -225,  -225,  -225,  -225,  -225,
    -225,  -225,  -225,  -225,  -225,  -225,  -225,  -225,  -225,  -225,
    -225,  -225,  -225,  -225,  -225,  -225,  -225,  -225,  -225,  -225,
    -225,  -225,  -225,  -225,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,  -225,     0,  -225,  -225,  -225,  -225,  -225,
    -225,  -225,  -225,  -225,  -229,     0,     0,  -229,  -229,  -229,
    -229,     0,     0,  -229,  -229,  -229,  -229,  -229,  -229,  -229,
    -229,  -229,  -229,  -229,  -229,  -229,  -229,  -229,  -229,  -229,
    -229,  -229,  -229,  -229,  -229,  -229,  -229,  -229,  -229,  -229,
    -229,  -229,  -229,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,  -229,     0,  -229,  -229,  -229,  -229,  -229,  -229,
    -229,  -229,  -229,  -231,     0,     0,  -231,  -231,  -231,  -231,
       0,     0,  -231,  -231,  -231,  -231,  -231,  -231,  -231,  -231,
    -231,  -231,  -231,  -231,  -231,  -231,  -231,  -231,  -231,  -231,
    -231,  -231,  -231,  -231,  -231,  -231,  -231,  -231,  -231,  -231,
    -231,  -231,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,  -231,     0,  -231,  -231,  -231,  -231,  -231,  -231,  -231,
    -231,  -231,  -238,     0,     0,  -238,  -238,  -238,  -238,     0,
       0,  -238,  -238,  -238,  -238,  -238,  -238,  -238,  -238,  -238,
    -238,  -238,  -238,  -238,  -238,  -238,  -238,  -238,  -238,  -238,
    -238,  -238,  -238,  -238,  -238,  -238,  -238,  -238,  -238,  -238,
    -238,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
     115,     0,     0,  -238,  -238,     0,  -238,  -238,  -234,  -238,
    -238,  -234,  -234,  -234,  -234,     0,     0,  -234,  -234,  -234,
    -234,  -234,  -234,  -234,  -234,  -234,  -234,  -234,  -234,  -234,
    -234,  -234,  -234,  -234,  -234,  -234,  -234,  -234,  -234,  -234,
    -234,  -234,  -234,  -234,  -234,  -234,  -234,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
    -234,     0,  -234,  -234,   348,  -234,  -234,  -237,     0,     0,
    -237,  -237,  -237,  -237,     0,     0,  -237,  -237,  -237,  -237,
    -237,  -237,  -237,  -237,  -237,  -237,  -237,  -237,  -237,  -237,
    -237,  -237,  -237,  -237,  -237,  -237,  -237,  -237,  -237,  -237,
    -237,  -237,  -237,  -237,  -237,  -237,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,  -237,
       0,  -237,  -237,   349,  -237,  -237,  -194,     0,     0,  -194,
    -194,  -194,  -194,     0,     0,  -194,  -194,  -194,  -194,  -194,
    -194,  -194,  -194,   188,   189,  -194,  -194,  -194,  -194,  -194,
    -194,  -194,  -194,  -194,  -194,  -194,  -194,  -194,  -194,  -194,
    -194,  -194,  -194,  -194,  -194,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,  -194,     0,  -194,  -194,     0,  -194,
    -194,  -202,  -194,  -194,  -202,  -202,  -202,  -202,     0,     0,
    -202,  -202,  -202,  -202,  -202,  -202,  -202,  -202,  -202,  -202,
    -202,  -202,  -202,  -202,  -202,  -202,  -202,  -202,  -202,  -202,
    -202,  -202,  -202,  -202,  -202,  -202,  -202,  -202,  -202,  -202,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,  -202,
       0,  -202,  -202,     0,  -202,  -202,  -206,  -202,  -202,  -206,
    -206,  -206,  -206,     0,     0,  -206,  -206,  -206,  -206,  -206,
    -206,  -206,  -206,  -206,  -206,  -206,  -206,  -206,  -206,  -206,
    -206,  -206,  -206,  -206,  -206,  -206,  -206,  -206,  -206,  -206,
    -206,  -206,  -206,  -206,  -206,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,  -206,     0,  -206,  -206,     0,  -206,
    -206,  -221,  -206,  -206,  -221,  -221,  -221,  -221,     0,     0,
    -221,  -221,  -221,  -221,  -221,  -221,  -221,  -221,  -221,  -221,
    -221,  -221,  -221,  -221,  -221,  -221,  -221,  -221,  -221,  -221,
    -221,  -221,  -221,  -221,  -221,  -221,  -221,  -221,  -221,  -221,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,  -221,
       0,  -221,  -221,     0,  -221,  -221,  -203,  -221,  -221,  -203,
    -203,  -203,  -203,     0,     0,  -203,  -203,  -203,  -203,  -203,
    -203,  -203,  -203,  -203,  -203,  -203,  -203,  -203,  -203,  -203,
    -203,  -203,  -203,  -203,  -203,  -203,  -203,  -203,  -203,  -203,
    -203,  -203,  -203,  -203,  -203,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,  -203,     0,  -203,  -203,     0,  -203,
    -203,  -204,  -203,  -203,  -204,  -204,  -204,  -204,     0,     0,
    -204,  -204,  -204,  -204,  -204,  -204,  -204,  -204,  -204,  -204,
    -204,  -204,  -204,  -204,  -204,  -204,  -204,  -204,  -204,  -204,
    -204,  -204,  -204,  -204,  -204,  -204,  -204,  -204,  -204,  -204,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,  -204,
       0,  -204,  -204,     0,  -204,  -204,  -199,  -204,  -204,  -199,
    -199,  -199,  -199,     0,     0,  -199,  -199,  -199,  -199,  -199,
    -199,  -199,  -199,     0,     0,  -199,  -199,  -199,  -199,  -199,
    -199,  -199,  -199,  -199,  -199,  -199,  -199,  -199,  -199,  -199,
    -199,  -199,  -199,  -199,  -199,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,  -199,     0,  -199,  -199,     0,  -199,
    -199,  -197,  -199,  -199,  -197,  -197,  -197,  -197,     0,     0,
    -197,  -197,  -197,  -197,  -197,  -197,  -197,  -197,     0,     0,
    -197,  -197,  -197,  -197,  -197,  -197,  -197,  -197,  -197,  -197,
    -197,  -197,  -197,  -197,  -197,  -197,  -197,  -197,  -197,  -197,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,  -197,
       0,  -197,  -197,     0,  -197,  -197,  -198,  -197,  -197,  -198,
    -198,  -198,  -198,     0,     0,  -198,  -198,  -198,  -198,  -198,
    -198,  -198,  -198,     0,     0,  -198,  -198,  -198,  -198,  -198,
    -198,  -198,  -198,  -198,  -198,  -198,  -198,  -198,  -198,  -198,
    -198,  -198,  -198,  -198,  -198,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,  -198,     0,  -198,  -198,     0,  -198,
    -198,  -200,  -198,  -198,  -200,  -200,  -200,  -200,     0,     0,
    -200,  -200,  -200,  -200,  -200,  -200,  -200,  -200,     0,     0,
    -200,  -200,  -200,  -200,  -200,  -200,  -200,  -200,  -200,  -200,
    -200,  -200,  -200,  -200,  -200,  -200,  -200,  -200,  -200,  -200,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,  -200,
       0,  -200,  -200,     0,  -200,  -200,  -201,  -200,  -200,  -201,
    -201,  -201,  -201,     0,     0,  -201,  -201,  -201,  -201,  -201,
    -201,  -201,  -201,     0,     0,  -201,  -201,  -201,  -201,  -201,
    -201,  -201,  -201,  -201,  -201,  -201,  -201,  -201,  -201,  -201,
    -201,  -201,  -201,  -201,  -201,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,  -201,     0,  -201,  -201,     0,  -201,
    -201,  -195,  -201,  -201,  -195,  -195,  -195,  -195,     0,     0,
    -195,  -195,  -195,  -195,  -195,  -195,  -195,  -195,     0,     0,
    -195,  -195,  -195,  -195,  -195,  -195,  -195,  -195,  -195,  -195,
    -195,  -195,  -195,  -195,  -195,  -195,  -195,  -195,  -195,  -195,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,  -195,
       0,  -195,  -195,     0,  -195,  -195,  -196,  -195,  -195,  -196,
    -196,  -196,  -196,     0,     0,  -196,  -196,  -196,  -196,  -196,
    -196,  -196,  -196,     0,     0,  -196,  -196,  -196,  -196,  -196,
    -196,  -196,  -196,  -196,  -196,  -196,  -196,  -196,  -196,  -196,
    -196,  -196,  -196,  -196,  -196,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,  -196,     0,  -196,  -196,     0,  -196,
    -196,  -191,  -196,  -196,  -191,  -191,  -191,  -191,     0,     0,
    -191,  -191,  -191,  -191,  -191,   177,  -191,  -191,     0,     0,
    -191,  -191,   178,   179,   180,   181,   182,   183,   184,   185,
    -191,  -191,  -191,  -191,  -191,  -191,   186,   187,  -191,  -191,
       0,  -184,     0,     0,  -184,   174,   175,   176,     0,     0,
    -184,  -184,  -184,  -184,  -184,     0,  -184,  -184,     0,  -191,
    -184,  -184,  -191,     0,  -191,  -191,     0,  -191,  -191,     0,
    -184,  -184,  -184,  -184,  -184,  -184,     0,     0,  -184,  -184,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,  -184,
       0,  -184,  -184,     0,  -184,  -184,  -187,  -184,  -184,  -187,
    -187,  -187,  -187,     0,     0,  -187,  -187,  -187,  -187,  -187,
       0,  -187,  -187,     0,     0,  -187,  -187,     0,     0,     0,
       0,     0,     0,     0,     0,  -187,  -187,  -187,  -187,  -187,
    -187,     0,     0,  -187,  -187,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,  -187,     0,  -187,  -187,     0,  -187,
    -187,  -191,  -187,  -187,  -191,  -191,  -191,  -191,     0,     0,
    -191,  -191,  -191,  -191,  -191,     0,  -191,  -191,     0,     0,
    -191,  -191,     0,     0,     0,     0,     0,     0,     0,     0,
    -191,  -191,  -191,  -191,  -191,  -191,     0,     0,  -191,  -191,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,  -191,
       0,  -191,  -191,     0,  -191,  -191,  -186,  -191,  -191,  -186,
     174,   175,   176,     0,     0,  -186,  -186,  -186,  -186,  -186,
       0,  -186,  -186,     0,     0,  -186,  -186,     0,     0,     0,
       0,     0,     0,     0,     0,  -186,  -186,  -186,  -186,  -186,
    -186,     0,     0,  -186,  -186,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,  -186,     0,  -186,  -186,     0,  -186,
    -186,  -185,  -186,  -186,  -185,   174,   175,   176,     0,     0,
    -185,  -185,  -185,  -185,  -185,     0,  -185,  -185,     0,     0,
    -185,  -185,     0,     0,     0,     0,     0,     0,     0,     0,
    -185,  -185,  -185,  -185,  -185,  -185,     0,     0,  -185,  -185,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,  -185,
       0,  -185,  -185,     0,  -185,  -185,  -188,  -185,  -185,  -188,
    -188,  -188,  -188,     0,     0,  -188,  -188,  -188,  -188,  -188,
       0,  -188,  -188,     0,     0,  -188,  -188,     0,     0,     0,
       0,     0,     0,     0,     0,  -188,  -188,  -188,  -188,  -188,
    -188,     0,     0,  -188,  -188,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,  -188,     0,  -188,  -188,     0,  -188,
    -188,  -189,  -188,  -188,  -189,  -189,  -189,  -189,     0,     0,
    -189,  -189,  -189,  -189,  -189,     0,  -189,  -189,     0,     0,
    -189,  -189,     0,     0,     0,     0,     0,     0,     0,     0,
    -189,  -189,  -189,  -189,  -189,  -189,     0,     0,  -189,  -189,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,  -189,
       0,  -189,  -189,     0,  -189,  -189,  -190,  -189,  -189,  -190,
    -190,  -190,  -190,     0,     0,  -190,  -190,  -190,  -190,  -190,
       0,  -190,  -190,     0,     0,  -190,  -190,     0,     0,     0,
       0,     0,     0,     0,     0,  -190,  -190,  -190,  -190,  -190,
    -190,     0,     0,  -190,  -190,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,  -190,     0,  -190,  -190,     0,  -190,
    -190,  -192,  -190,  -190,  -192,  -192,  -192,  -192,     0,     0,
    -192,  -192,  -192,  -192,  -192,     0,  -192,  -192,     0,     0,
    -192,  -192,     0,     0,     0,     0,     0,     0,     0,     0,
    -192,  -192,  -192,  -192,  -192,  -192,     0,     0,  -192,  -192,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,  -192,
       0,  -192,  -192,     0,  -192,  -192,  -193,  -192,  -192,  -193,
    -193,  -193,  -193,     0,     0,  -193,  -193,  -193,  -193,  -193,
       0,  -193,  -193,     0,     0,  -193,  -193,     0,     0,     0,
       0,     0,     0,     0,     0,  -193,  -193,  -193,  -193,  -193,
    -193,     0,     0,  -193,  -193,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,  -193,   172,  -193,  -193,   173,  -193,
    -193,     0,  -193,  -193,  -180,  -180,  -180,  -180,  -180,     0,
    -180,  -180,     0,     0,  -180,  -180,     0,     0,     0,     0,
       0,     0,     0,     0,  -180,  -180,  -180,  -180,  -180,  -180,
       0,     0,  -180,  -180,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,  -180,   172,  -180,  -180,   173,  -180,  -180,
       0,  -180,  -180,  -181,  -181,  -181,  -181,  -181,     0,  -181,
    -181,     0,     0,  -181,  -181,     0,     0,     0,     0,     0,
       0,     0,     0,  -181,  -181,  -181,  -181,  -181,  -181,     0,
       0,  -181,  -181,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,  -181,   172,  -181,  -181,   173,  -181,  -181,     0,
    -181,  -181,  -182,  -182,  -182,  -182,  -182,     0,  -182,  -182,
       0,     0,  -182,  -182,     0,     0,     0,     0,     0,     0,
       0,     0,  -182,  -182,  -182,  -182,  -182,  -182,     0,     0,
    -182,  -182,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,  -182,   172,  -182,  -182,   173,  -182,  -182,     0,  -182,
    -182,  -183,  -183,  -183,  -183,  -183,     0,  -183,  -183,     0,
       0,  -183,  -183,     0,     0,     0,     0,     0,     0,     0,
       0,  -183,  -183,  -183,  -183,  -183,  -183,     0,     0,  -183,
    -183,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
    -183,     0,  -183,  -183,     0,  -183,  -183,     0,  -183,  -183,
    -173,  -173,  -173,  -173,  -173,     0,  -173,  -173,     0,     0,
    -173,  -173,     0,     0,     0,     0,     0,     0,     0,     0,
     169,   170,  -173,  -173,  -173,  -173,     0,     0,  -173,   171,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,  -173,
       0,  -173,  -173,     0,  -173,  -173,     0,  -173,  -173,  -178,
    -178,  -178,  -178,  -178,     0,  -178,  -178,     0,     0,  -178,
    -178,     0,     0,     0,     0,     0,     0,     0,     0,   169,
     170,  -178,  -178,  -178,  -178,     0,     0,  -178,   171,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,  -178,     0,
    -178,  -178,     0,  -178,  -178,     0,  -178,  -178,  -179,  -179,
    -179,  -179,  -179,     0,  -179,  -179,     0,     0,  -179,  -179,
       0,     0,     0,     0,     0,     0,     0,     0,   169,   170,
    -179,  -179,  -179,  -179,     0,     0,  -179,   171,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,  -179,     0,  -179,
    -179,     0,  -179,  -179,     0,  -179,  -179,  -174,  -174,  -174,
    -174,  -174,     0,  -174,  -174,     0,     0,  -174,  -174,     0,
       0,     0,     0,     0,     0,     0,     0,   169,   170,  -174,
    -174,  -174,  -174,     0,     0,  -174,   171,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,  -174,     0,  -174,  -174,
       0,  -174,  -174,     0,  -174,  -174,  -176,  -176,  -176,  -176,
    -176,     0,  -176,  -176,     0,     0,  -176,  -176,     0,     0,
       0,     0,     0,     0,     0,     0,   169,   170,  -176,  -176,
    -176,  -176,     0,     0,  -176,   171,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,  -176,     0,  -176,  -176,     0,
    -176,  -176,     0,  -176,  -176,  -175,  -175,  -175,  -175,  -175,
       0,  -175,  -175,     0,     0,  -175,  -175,     0,     0,     0,
       0,     0,     0,     0,     0,   169,   170,  -175,  -175,  -175,
    -175,     0,     0,  -175,   171,     0,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,     0,  -175,     0,  -175,  -175,     0,  -175,
    -175,     0,  -175,  -175,  -177,  -177,  -177,  -177,  -177,     0,
    -177,  -177,     0,     0,  -177,  -177,     0,     0,     0,     0,
       0,     0,     0,     0,   169,   170,  -177,  -177,  -177,  -177,
       0,     0,  -177,   171,     0,     0,     0,     0,     0,     0,
       0,   163,   164,   165,   166,  -169,     0,  -169,  -169,     0,
       0,  -169,  -169,  -177,     0,  -177,  -177,     0,  -177,  -177,
       0,  -177,  -177,  -169,  -169,   167,   168,     0,     0,  -169,
       0,     0,     0,     0,     0,     0,     0,     0,   163,   164,
     165,   166,  -170,     0,  -170,  -170,     0,     0,  -170,  -170,
    -169,     0,  -169,  -169,     0,  -169,  -169,     0,  -169,  -169,
    -170,  -170,   167,   168,     0,     0,  -170,     0,     0,     0,
       0,     0,     0,     0,     0,   163,   164,   165,   166,  -172,
       0,  -172,  -172,     0,     0,  -172,  -172,  -170,     0,  -170,
    -170,     0,  -170,  -170,     0,  -170,  -170,  -172,  -172,   167,
     168,     0,     0,  -172,     0,     0,     0,     0,     0,     0,
       0,     0,   163,   164,   165,   166,  -171,     0,  -171,  -171,
       0,     0,  -171,  -171,  -172,     0,  -172,  -172,     0,  -172,
    -172,     0,  -172,  -172,  -171,  -171,   167,   168,     0,     0,
    -171,  -168,     0,  -168,  -168,     0,     0,   160,   161,     0,
       0,     0,     0,     0,     0,     0,     0,     0,     0,  -168,
    -168,  -171,     0,  -171,  -171,   162,  -171,  -171,     0,  -171,
    -171,     0,     0,     0,     0,     0,     0,     0,  -166,     0,
    -166,  -166,     0,     0,   160,   161,  -168,     0,  -168,  -168,
       0,  -168,  -168,     0,  -168,  -168,  -166,  -166,  -167,     0,
    -167,  -167,   162,     0,   160,   161,     0,     0,     0,     0,
       0,     0,     0,     0,     0,     0,  -167,  -167,   157,     0,
     158,   159,   162,  -166,     0,  -166,  -166,     0,  -166,  -166,
       0,  -166,  -166,     0,     0,     0,  -162,  -162,   157,     0,
     158,   159,     0,  -167,     0,  -167,  -167,     0,  -167,  -167,
       0,  -167,  -167,     0,     0,     0,  -164,  -164,     0,     0,
       0,     0,     0,  -162,     0,  -162,  -162,     0,  -162,  -162,
       0,  -162,  -162,     0,     0,     0,     0,     0,     0,     0,
       0,     0,     0,  -164,     0,  -164,  -164,     0,  -164,  -164,
       0,  -164,  -164
};

static const yytype_int16 yycheck[] =
{
       0,     2,   209,   125,   376,    27,     1,    84,     9,     1,
      14,    15,    16,    17,    18,    19,    20,    37,    21,    78,
      73,    73,   394,    73,    61,    80,     8,     9,   157,   158,
     159,    84,     1,    85,    84,    94,    73,    92,    81,    40,
      71,    71,     1,    43,    87,    14,    77,    77,    83,    49,
      19,    73,    87,    85,    23,    24,    25,   160,   161,   162,
      81,    30,    31,    84,    84,    86,    87,    87,    89,    86,
      87,    40,    41,     7,   133,   134,    10,    11,    73,    71,
     139,    73,    74,     7,    82,    86,    10,    11,   147,    83,
      91,    86,    87,    87,    63,    64,    65,    66,    67,    68,
     307,    83,    71,    72,    73,    74,    75,    76,    77,   169,
     170,   171,    71,    82,    73,    74,    85,    73,    74,    88,
      89,   125,   402,   403,    83,    83,   406,    91,    83,    87,
     410,   411,    87,    84,   134,    81,    87,    83,    84,   139,
      86,    87,    81,    89,    87,    84,    89,    86,    87,    71,
      89,    73,    74,   157,   158,   159,   160,   161,   162,   163,
     164,   165,   166,   167,   168,   169,   170,   171,   172,   173,
     174,   175,   176,    73,   177,   178,   179,   180,   181,   182,
     183,   184,   185,   186,   187,    86,    87,   309,   247,   311,
     191,    83,    86,    87,   316,    87,   255,   319,    81,    84,
     322,    84,    87,    86,    87,    81,    89,     1,    84,    81,
      86,    87,    84,    89,    86,    87,    81,    89,    73,    84,
      14,    86,    87,    84,    89,    19,    87,   231,   232,    23,
      24,    25,    84,    91,    83,    87,    30,    31,    87,   240,
     241,    83,    87,    91,    89,    87,    40,    41,   248,    81,
      84,    91,    84,    87,    86,    87,    91,    89,   380,   263,
     264,    83,    83,    91,   265,    87,    87,    73,    62,    63,
      64,    65,    66,    67,    68,    86,    87,    71,    72,    73,
      74,    75,    76,    77,    81,    86,    87,    84,    82,    86,
      87,    85,    89,    81,    88,   298,    84,    82,    86,    87,
      84,    89,    86,    87,    87,   309,    89,   311,    84,   368,
      84,    87,   316,    87,     0,   319,     1,    36,   322,    38,
      39,    84,    81,    42,    43,    84,   327,    86,    87,    14,
      89,    86,    87,   333,    19,    54,    55,    84,    23,    24,
      25,    60,    86,    87,    81,    30,    31,    84,    84,    86,
      87,    87,    89,    85,    84,    40,    41,    87,    87,    87,
      89,    89,    81,   364,    83,    84,    91,    86,    87,   372,
      89,    90,    87,    82,    89,   376,   380,    84,    63,    64,
      65,    66,    67,    68,    86,    87,    71,    72,    73,    74,
      75,    76,    77,   394,    86,    87,    84,    82,    85,    81,
      85,    86,    84,    88,    86,    87,    85,    89,   408,   409,
      86,    87,   412,   413,   414,     0,    86,    87,     3,     4,
       5,     6,     7,     8,     9,    10,    11,    12,    13,    14,
      15,    16,    17,    18,    19,    20,    21,    22,    23,    24,
      25,    26,    27,    28,    29,    30,    31,    32,    33,    34,
      35,    36,    37,    38,    39,    40,    41,    42,    43,    44,
      45,    46,    47,    48,    49,    50,    51,    52,    53,    54,
      55,    56,    57,    58,    59,    60,    61,    62,    63,    64,
      65,    66,    67,    68,    86,    87,    71,    72,    73,    74,
      75,    76,    77,    78,    79,    80,    81,    82,    83,    84,
      85,    86,    87,    88,    89,    90,    91,     0,    86,    87,
       3,     4,     5,     6,     7,     8,     9,    10,    11,    12,
      13,    14,    15,    16,    17,    18,    19,    20,    21,    22,
      23,    24,    25,    26,    27,    28,    29,    30,    31,    32,
      33,    34,    35,    36,    37,    38,    39,    40,    41,    42,
      43,    44,    45,    46,    47,    48,    49,    50,    51,    52,
      53,    54,    55,    56,    57,    58,    59,    60,    61,    62,
      63,    64,    65,    66,    67,    68,    86,    87,    71,    72,
      73,    74,    75,    76,    77,    78,    79,    80,    81,    82,
      83,    84,    85,    86,    87,    88,    89,    90,    91,     0,
     263,   264,     3,     4,     5,     6,     7,     8,     9,    10,
      11,    12,    13,    14,    15,    16,    17,    18,    19,    20,
      21,    22,    23,    24,    25,    26,    27,    28,    29,    30,
      31,    32,    33,    34,    35,    36,    37,    38,    39,    40,
      41,    42,    43,    44,    45,    46,    47,    48,    49,    50,
      51,    52,    53,    54,    55,    56,    57,    58,    59,    60,
      61,    62,    63,    64,    65,    66,    67,    68,   172,   173,
      71,    72,    73,    74,    75,    76,    77,    78,    79,    80,
      81,    82,    83,    84,    85,    86,    87,    88,    89,    90,
      91,     0,   231,   232,     3,     4,     5,     6,     7,     8,
       9,    10,    11,    12,    13,    14,    15,    16,    17,    18,
      19,    20,    21,    22,    23,    24,    25,    73,    85,    37,
      81,    30,    31,    84,    84,    86,    87,    29,    89,    74,
      81,    40,    41,    84,    81,    86,    87,    84,    89,    86,
      87,    81,    89,    73,    84,    83,    86,    87,    89,    89,
      86,    86,    85,    62,    63,    64,    65,    66,    67,    68,
      85,    85,    71,    72,    73,    74,    75,    76,    77,    78,
      79,    80,    85,    82,    83,    84,    85,     0,    82,    88,
       3,     4,     5,     6,     7,     8,     9,    10,    11,    12,
      13,    14,    15,    16,    17,    18,    19,    20,    21,    22,
      23,    24,    25,    73,    73,    86,    74,    30,    31,   163,
     164,   165,   166,   167,   168,    73,     1,    40,    41,    86,
      85,    85,    84,    74,    81,    81,    81,    81,    73,    89,
      73,    73,    85,    85,    82,    84,    86,    84,    84,    62,
      63,    64,    65,    66,    67,    68,    84,    86,    71,    72,
      73,    74,    75,    76,    77,    78,    79,    80,    85,    82,
      83,    84,    85,     0,    86,    88,     3,     4,     5,     6,
       7,     8,     9,    10,    11,    12,    13,    14,    15,    82,
      17,    18,    19,    20,    21,    22,    23,    24,    25,    82,
      82,    82,    82,    30,    31,    82,     8,    81,    84,    81,
      81,    81,    81,    40,    41,    83,   137,    43,   137,    86,
     145,   216,   213,   318,   322,     7,   262,     7,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    62,    63,    64,    65,    66,
      67,    68,    -1,    -1,    71,    72,    73,    74,    75,    76,
      77,    78,    79,    80,    -1,    82,    83,    84,    85,     0,
      -1,    88,     3,     4,     5,     6,     7,     8,     9,    10,
      11,    12,    13,    14,    15,    -1,    17,    18,    19,    20,
      21,    22,    23,    24,    25,    -1,    -1,    -1,    -1,    30,
      31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,
      41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    62,    63,    64,    65,    66,    67,    68,    -1,    -1,
      71,    72,    73,    74,    75,    76,    77,    78,    79,    80,
      -1,    82,    83,    84,    85,     0,    -1,    88,     3,     4,
       5,     6,     7,     8,     9,    10,    11,    12,    13,    14,
      15,    54,    55,    18,    19,    20,    21,    22,    23,    24,
      25,    -1,    -1,    -1,    -1,    30,    31,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    40,    41,    -1,    81,    -1,
      83,    84,    -1,    86,    87,    -1,    89,    90,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,    63,    64,
      65,    66,    67,    68,    -1,    -1,    71,    72,    73,    74,
      75,    76,    77,    78,    79,    80,    -1,    82,    83,    84,
      85,     0,    -1,    88,     3,     4,     5,     6,     7,     8,
       9,    10,    11,    12,    13,    14,    15,    -1,    -1,    18,
      19,    20,    21,    22,    23,    24,    25,    -1,    -1,    -1,
      -1,    30,    31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    40,    41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    62,    63,    64,    65,    66,    67,    68,
      -1,    -1,    71,    72,    73,    74,    75,    76,    77,    78,
      79,    80,    -1,    82,    83,    84,    85,     0,    -1,    88,
       3,     4,     5,     6,     7,     8,     9,    10,    11,    12,
      13,    14,    15,    -1,    -1,    18,    19,    20,    21,    22,
      23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,    41,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,
      63,    64,    65,    66,    67,    68,    -1,    -1,    71,    72,
      73,    74,    75,    76,    77,    78,    79,    80,    -1,    82,
      83,    84,    85,     0,    -1,    88,     3,     4,     5,     6,
       7,     8,     9,    10,    11,    12,    13,    14,    15,    -1,
      -1,    18,    19,    20,    21,    22,    23,    24,    25,    -1,
      -1,    -1,    -1,    30,    31,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    40,    41,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    62,    63,    64,    65,    66,
      67,    68,    -1,    -1,    71,    72,    73,    74,    75,    76,
      77,    78,    79,    80,    -1,    82,    83,    84,    85,     0,
      -1,    88,     3,     4,     5,     6,     7,     8,     9,    10,
      11,    12,    13,    14,    15,    -1,    -1,    18,    19,    20,
      21,    22,    23,    24,    25,    -1,    -1,    -1,    -1,    30,
      31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,
      41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    62,    63,    64,    65,    66,    67,    68,    -1,    -1,
      71,    72,    73,    74,    75,    76,    77,    78,    79,    80,
      -1,    82,    83,    84,    85,     0,    -1,    88,     3,     4,
       5,     6,     7,     8,     9,    10,    11,    12,    13,    14,
      15,    -1,    -1,    18,    19,    20,    21,    22,    23,    24,
      25,    -1,    -1,    -1,    -1,    30,    31,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    40,    41,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,    63,    64,
      65,    66,    67,    68,    -1,    -1,    71,    72,    73,    74,
      75,    76,    77,    78,    79,    80,    -1,    82,    83,    84,
      85,     0,    -1,    88,     3,     4,     5,     6,     7,     8,
       9,    10,    11,    12,    13,    14,    15,    -1,    -1,    18,
      19,    20,    21,    22,    23,    24,    25,    -1,    -1,    -1,
      -1,    30,    31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    40,    41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    62,    63,    64,    65,    66,    67,    68,
      -1,    -1,    71,    72,    73,    74,    75,    76,    77,    78,
      79,    80,    -1,    82,    83,    84,    85,     0,    -1,    88,
       3,     4,     5,     6,     7,     8,     9,    10,    11,    12,
      13,    14,    15,    -1,    -1,    18,    19,    20,    21,    22,
      23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,    41,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,
      63,    64,    65,    66,    67,    68,    -1,    -1,    71,    72,
      73,    74,    75,    76,    77,    78,    79,    80,    -1,    82,
      83,    84,    85,     0,    -1,    88,     3,     4,     5,     6,
       7,     8,     9,    10,    11,    12,    13,    14,    15,    -1,
      -1,    18,    19,    20,    21,    22,    23,    24,    25,    -1,
      -1,    -1,    -1,    30,    31,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    40,    41,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    62,    63,    64,    65,    66,
      67,    68,    -1,    -1,    71,    72,    73,    74,    75,    76,
      77,    78,    79,    80,    -1,    82,    83,    84,    85,     0,
      -1,    88,     3,     4,     5,     6,     7,     8,     9,    10,
      11,    12,    13,    14,    15,    -1,    -1,    18,    19,    20,
      21,    22,    23,    24,    25,    -1,    -1,    -1,    -1,    30,
      31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,
      41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    62,    63,    64,    65,    66,    67,    68,    -1,    -1,
      71,    72,    73,    74,    75,    76,    77,    78,    79,    80,
      -1,    82,    83,    84,    85,     0,    -1,    88,     3,     4,
       5,     6,     7,     8,     9,    10,    11,    12,    13,    14,
      15,    -1,    -1,    18,    19,    20,    21,    22,    23,    24,
      25,    -1,    -1,    -1,    -1,    30,    31,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    40,    41,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,    63,    64,
      65,    66,    67,    68,    -1,    -1,    71,    72,    73,    74,
      75,    76,    77,    78,    79,    80,    -1,    82,    83,    84,
      85,     0,    -1,    88,     3,     4,     5,     6,     7,     8,
       9,    10,    11,    12,    13,    14,    15,    -1,    -1,    18,
      19,    20,    21,    22,    23,    24,    25,    -1,    -1,    -1,
      -1,    30,    31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    40,    41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    62,    63,    64,    65,    66,    67,    68,
      -1,    -1,    71,    72,    73,    74,    75,    76,    77,    78,
      79,    80,    -1,    82,    83,    84,    85,     0,    -1,    88,
       3,     4,     5,     6,     7,     8,     9,    10,    11,    12,
      13,    14,    15,    -1,    -1,    18,    19,    20,    21,    22,
      23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,    41,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,
      63,    64,    65,    66,    67,    68,    -1,    -1,    71,    72,
      73,    74,    75,    76,    77,    78,    79,    80,    -1,    82,
      83,    84,    85,     0,    -1,    88,     3,     4,     5,     6,
       7,     8,     9,    10,    11,    12,    13,    14,    15,    -1,
      -1,    18,    19,    20,    21,    22,    23,    24,    25,    -1,
      -1,    -1,    -1,    30,    31,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    40,    41,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    62,    63,    64,    65,    66,
      67,    68,    -1,    -1,    71,    72,    73,    74,    75,    76,
      77,    78,    79,    80,    -1,    82,    83,    84,    85,     0,
      -1,    88,     3,     4,     5,     6,     7,     8,     9,    10,
      11,    12,    13,    14,    15,    -1,    -1,    18,    19,    20,
      21,    22,    23,    24,    25,    -1,    -1,    -1,    -1,    30,
      31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,
      41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    62,    63,    64,    65,    66,    67,    68,    -1,    -1,
      71,    72,    73,    74,    75,    76,    77,    78,    79,    80,
      -1,    82,    83,    84,    85,     0,    -1,    88,     3,     4,
       5,     6,     7,     8,     9,    10,    11,    12,    13,    14,
      15,    -1,    -1,    18,    19,    20,    21,    22,    23,    24,
      25,    -1,    -1,    -1,    -1,    30,    31,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    40,    41,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,    63,    64,
      65,    66,    67,    68,    -1,    -1,    71,    72,    73,    74,
      75,    76,    77,    78,    79,    80,    -1,    82,    83,    84,
      85,     0,    -1,    88,     3,     4,     5,     6,     7,     8,
       9,    10,    11,    12,    13,    14,    15,    -1,    -1,    18,
      19,    20,    21,    22,    23,    24,    25,    -1,    -1,    -1,
      -1,    30,    31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    40,    41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    62,    63,    64,    65,    66,    67,    68,
      -1,    -1,    71,    72,    73,    74,    75,    76,    77,    78,
      79,    80,    -1,    82,    83,    84,    85,     0,    -1,    88,
       3,     4,     5,     6,     7,     8,     9,    10,    11,    12,
      13,    14,    15,    -1,    -1,    18,    19,    20,    21,    22,
      23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,    41,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,
      63,    64,    65,    66,    67,    68,    -1,    -1,    71,    72,
      73,    74,    75,    76,    77,    78,    79,    80,    -1,    82,
      83,    84,    85,     0,    -1,    88,     3,     4,     5,     6,
       7,     8,     9,    10,    11,    12,    13,    14,    15,    -1,
      -1,    18,    19,    20,    21,    22,    23,    24,    25,    -1,
      -1,    -1,    -1,    30,    31,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    40,    41,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    62,    63,    64,    65,    66,
      67,    68,    -1,    -1,    71,    72,    73,    74,    75,    76,
      77,    78,    79,    80,    -1,    82,    83,    84,    85,     0,
      -1,    88,     3,     4,     5,     6,     7,     8,     9,    10,
      11,    12,    13,    14,    15,    -1,    -1,    18,    19,    20,
      21,    22,    23,    24,    25,    -1,    -1,    -1,    -1,    30,
      31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,
      41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    62,    63,    64,    65,    66,    67,    68,    -1,    -1,
      71,    72,    73,    74,    75,    76,    77,    78,    79,    80,
      -1,    82,    83,    84,    85,     0,    -1,    88,     3,     4,
       5,     6,     7,     8,     9,    10,    11,    12,    13,    14,
      15,    -1,    -1,    18,    19,    20,    21,    22,    23,    24,
      25,    -1,    -1,    -1,    -1,    30,    31,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    40,    41,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,    63,    64,
      65,    66,    67,    68,    -1,    -1,    71,    72,    73,    74,
      75,    76,    77,    78,    79,    80,    -1,    82,    83,    84,
      85,     0,    -1,    88,     3,     4,     5,     6,     7,     8,
       9,    10,    11,    12,    13,    14,    15,    -1,    -1,    18,
      19,    20,    21,    22,    23,    24,    25,    -1,    -1,    -1,
      -1,    30,    31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    40,    41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    62,    63,    64,    65,    66,    67,    68,
      -1,    -1,    71,    72,    73,    74,    75,    76,    77,    78,
      79,    80,    -1,    82,    83,    84,    85,     0,    -1,    88,
       3,     4,     5,     6,     7,     8,     9,    10,    11,    12,
      13,    14,    15,    -1,    -1,    18,    19,    20,    21,    22,
      23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,    41,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,
      63,    64,    65,    66,    67,    68,    -1,    -1,    71,    72,
      73,    74,    75,    76,    77,    78,    79,    80,    -1,    82,
      83,    84,    85,     0,    -1,    88,     3,     4,     5,     6,
       7,     8,     9,    10,    11,    12,    13,    14,    15,    -1,
      -1,    18,    19,    20,    21,    22,    23,    24,    25,    -1,
      -1,    -1,    -1,    30,    31,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    40,    41,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    62,    63,    64,    65,    66,
      67,    68,    -1,    -1,    71,    72,    73,    74,    75,    76,
      77,    78,    79,    80,    -1,    82,    83,    84,    85,     0,
      -1,    88,     3,     4,     5,     6,     7,     8,     9,    10,
      11,    12,    13,    14,    15,    -1,    -1,    18,    19,    20,
      21,    22,    23,    24,    25,    -1,    -1,    -1,    -1,    30,
      31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,
      41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    62,    63,    64,    65,    66,    67,    68,    -1,    -1,
      71,    72,    73,    74,    75,    76,    77,    78,    79,    80,
      -1,    82,    83,    84,    85,     0,    -1,    88,     3,     4,
       5,     6,     7,     8,     9,    10,    11,    12,    13,    14,
      15,    -1,    -1,    18,    19,    20,    21,    22,    23,    24,
      25,    -1,    -1,    -1,    -1,    30,    31,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    40,    41,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,    63,    64,
      65,    66,    67,    68,    -1,    -1,    71,    72,    73,    74,
      75,    76,    77,    78,    79,    80,    -1,    82,    83,    84,
      85,     0,    -1,    88,     3,     4,     5,     6,     7,     8,
       9,    10,    11,    12,    13,    14,    15,    -1,    -1,    18,
      19,    20,    21,    22,    23,    24,    25,    -1,    -1,    -1,
      -1,    30,    31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    40,    41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    62,    63,    64,    65,    66,    67,    68,
      -1,    -1,    71,    72,    73,    74,    75,    76,    77,    78,
      79,    80,    -1,    82,    83,    84,    85,     0,    -1,    88,
       3,     4,     5,     6,     7,     8,     9,    10,    11,    12,
      13,    14,    15,    -1,    -1,    18,    19,    20,    21,    22,
      23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,    41,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,
      63,    64,    65,    66,    67,    68,    -1,    -1,    71,    72,
      73,    74,    75,    76,    77,    78,    79,    80,    -1,    82,
      83,    84,    85,     0,    -1,    88,     3,     4,     5,     6,
       7,     8,     9,    10,    11,    12,    13,    14,    15,    -1,
      -1,    18,    19,    20,    21,    22,    23,    24,    25,    -1,
      -1,    -1,    -1,    30,    31,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    40,    41,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    62,    63,    64,    65,    66,
      67,    68,    -1,    -1,    71,    72,    73,    74,    75,    76,
      77,    78,    79,    80,    -1,    82,    83,    84,    85,     0,
      -1,    88,     3,     4,     5,     6,     7,     8,     9,    10,
      11,    12,    13,    14,    15,    -1,    -1,    18,    19,    20,
      21,    22,    23,    24,    25,    -1,    -1,    -1,    -1,    30,
      31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,
      41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    62,    63,    64,    65,    66,    67,    68,    -1,    -1,
      71,    72,    73,    74,    75,    76,    77,    78,    79,    80,
      -1,    82,    83,    84,    85,     0,    -1,    88,     3,     4,
       5,     6,     7,     8,     9,    10,    11,    12,    13,    14,
      15,    -1,    -1,    18,    19,    20,    21,    22,    23,    24,
      25,    -1,    -1,    -1,    -1,    30,    31,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    40,    41,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,    63,    64,
      65,    66,    67,    68,    -1,    -1,    71,    72,    73,    74,
      75,    76,    77,    78,    79,    80,    -1,    82,    83,    84,
      85,     0,    -1,    88,     3,     4,     5,     6,     7,     8,
       9,    10,    11,    12,    13,    14,    15,    -1,    -1,    18,
      19,    20,    21,    22,    23,    24,    25,    -1,    -1,    -1,
      -1,    30,    31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    40,    41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    62,    63,    64,    65,    66,    67,    68,
      -1,    -1,    71,    72,    73,    74,    75,    76,    77,    78,
      79,    80,    -1,    82,    83,    84,    85,     0,    -1,    88,
       3,     4,     5,     6,     7,     8,     9,    10,    11,    12,
      13,    14,    15,    -1,    -1,    18,    19,    20,    21,    22,
      23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,    41,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,
      63,    64,    65,    66,    67,    68,    -1,    -1,    71,    72,
      73,    74,    75,    76,    77,    78,    79,    80,    -1,    82,
      83,    84,    85,     0,    -1,    88,     3,     4,     5,     6,
       7,     8,     9,    10,    11,    12,    13,    14,    15,    -1,
      -1,    18,    19,    20,    21,    22,    23,    24,    25,    -1,
      -1,    -1,    -1,    30,    31,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    40,    41,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    62,    63,    64,    65,    66,
      67,    68,    -1,    -1,    71,    72,    73,    74,    75,    76,
      77,    78,    79,    80,    -1,    82,    83,    84,    85,     0,
      -1,    88,     3,     4,     5,     6,     7,     8,     9,    10,
      11,    12,    13,    14,    15,    -1,    -1,    18,    19,    20,
      21,    22,    23,    24,    25,    -1,    -1,    -1,    -1,    30,
      31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,
      41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    62,    63,    64,    65,    66,    67,    68,    -1,    -1,
      71,    72,    73,    74,    75,    76,    77,    78,    79,    80,
      -1,    82,    83,    84,    85,     0,    -1,    88,     3,     4,
       5,     6,     7,     8,     9,    10,    11,    12,    13,    14,
      15,    -1,    -1,    18,    19,    20,    21,    22,    23,    24,
      25,    -1,    -1,    -1,    -1,    30,    31,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    40,    41,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,    63,    64,
      65,    66,    67,    68,    -1,    -1,    71,    72,    73,    74,
      75,    76,    77,    78,    79,    80,    -1,    82,    83,    84,
      85,     0,    -1,    88,     3,     4,     5,     6,     7,     8,
       9,    10,    11,    12,    13,    14,    15,    -1,    -1,    18,
      19,    20,    21,    22,    23,    24,    25,    -1,    -1,    -1,
      -1,    30,    31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    40,    41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    62,    63,    64,    65,    66,    67,    68,
      -1,    -1,    71,    72,    73,    74,    75,    76,    77,    78,
      79,    80,    -1,    82,    83,    84,    85,     0,    -1,    88,
       3,     4,     5,     6,     7,     8,     9,    10,    11,    12,
      13,    14,    15,    -1,    -1,    18,    19,    20,    21,    22,
      23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,    41,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,
      63,    64,    65,    66,    67,    68,    -1,    -1,    71,    72,
      73,    74,    75,    76,    77,    78,    79,    80,    -1,    82,
      83,    84,    85,     0,    -1,    88,     3,     4,     5,     6,
       7,     8,     9,    10,    11,    12,    13,    14,    15,    -1,
      -1,    18,    19,    20,    21,    22,    23,    24,    25,    -1,
      -1,    -1,    -1,    30,    31,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    40,    41,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    62,    63,    64,    65,    66,
      67,    68,    -1,    -1,    71,    72,    73,    74,    75,    76,
      77,    78,    79,    80,    -1,    82,    83,    84,    85,     0,
      -1,    88,     3,     4,     5,    -1,     7,    -1,    -1,    10,
      11,    12,    13,    14,    15,    -1,    -1,    18,    19,    20,
      21,    22,    23,    24,    25,    -1,    -1,    -1,    -1,    30,
      31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,
      41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    62,    63,    64,    65,    66,    67,    68,    -1,    -1,
      71,    72,    73,    74,    75,    76,    77,    78,    79,    80,
      -1,    82,    -1,    84,    85,     0,    -1,    88,     3,     4,
       5,    -1,     7,    -1,    -1,    10,    11,    12,    13,    14,
      15,    -1,    -1,    18,    19,    20,    21,    22,    23,    24,
      25,    -1,    -1,    -1,    -1,    30,    31,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    40,    41,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,    63,    64,
      65,    66,    67,    68,    -1,    -1,    71,    72,    73,    74,
      75,    76,    77,    78,    79,    80,    -1,    82,    -1,    84,
      85,     0,    -1,    88,     3,     4,     5,    -1,     7,    -1,
      -1,    10,    11,    12,    13,    14,    15,    -1,    -1,    18,
      19,    20,    21,    22,    23,    24,    25,    -1,    -1,    -1,
      -1,    30,    31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    40,    41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    62,    63,    64,    65,    66,    67,    68,
      -1,    -1,    71,    72,    73,    74,    75,    76,    77,    78,
      79,    80,    -1,    82,    -1,    84,    85,     0,    -1,    88,
       3,     4,     5,    -1,     7,    -1,    -1,    10,    11,    12,
      13,    14,    15,    -1,    -1,    18,    19,    20,    21,    22,
      23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,    41,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,
      63,    64,    65,    66,    67,    68,    -1,    -1,    71,    72,
      73,    74,    75,    76,    77,    78,    79,    80,    -1,    82,
      -1,    84,    85,     0,    -1,    88,     3,     4,     5,    -1,
       7,    -1,    -1,    10,    11,    12,    13,    14,    15,    -1,
      -1,    18,    19,    20,    21,    22,    23,    24,    25,    -1,
      -1,    -1,    -1,    30,    31,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    40,    41,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    62,    63,    64,    65,    66,
      67,    68,    -1,    -1,    71,    72,    73,    74,    75,    76,
      77,    78,    79,    80,    -1,    82,    -1,    84,    85,     0,
      -1,    88,     3,     4,     5,    -1,     7,    -1,    -1,    10,
      11,    12,    13,    14,    15,    -1,    -1,    18,    19,    20,
      21,    22,    23,    24,    25,    -1,    -1,    -1,    -1,    30,
      31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,
      41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    62,    63,    64,    65,    66,    67,    68,    -1,    -1,
      71,    72,    73,    74,    75,    76,    77,    78,    79,    80,
      -1,    82,    -1,    84,    85,     0,    -1,    88,     3,     4,
       5,    -1,     7,    -1,    -1,    10,    11,    12,    13,    14,
      15,    -1,    -1,    18,    19,    20,    21,    22,    23,    24,
      25,    -1,    -1,    -1,    -1,    30,    31,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    40,    41,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,    63,    64,
      65,    66,    67,    68,    -1,    -1,    71,    72,    73,    74,
      75,    76,    77,    78,    79,    80,    -1,    82,    -1,    84,
      85,     0,    -1,    88,     3,     4,     5,    -1,     7,    -1,
      -1,    10,    11,    12,    13,    14,    15,    -1,    -1,    18,
      19,    20,    21,    22,    23,    24,    25,    -1,    -1,    -1,
      -1,    30,    31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    40,    41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    62,    63,    64,    65,    66,    67,    68,
      -1,    -1,    71,    72,    73,    74,    75,    76,    77,    78,
      79,    80,    -1,    82,    -1,    84,    85,    -1,     1,    88,
       3,     4,     5,    -1,     7,    -1,    -1,    10,    11,    12,
      13,    14,    15,    -1,    -1,    18,    19,    20,    21,    22,
      23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,    41,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,
      63,    64,    65,    66,    67,    68,    -1,    -1,    71,    72,
      73,    74,    75,    76,    77,    78,    79,    80,    -1,    82,
      -1,    84,    85,    -1,     1,    88,     3,     4,     5,    -1,
       7,    -1,    -1,    10,    11,    12,    13,    14,    15,    -1,
      -1,    18,    19,    20,    21,    22,    23,    24,    25,    -1,
      -1,    -1,    -1,    30,    31,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    40,    41,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    62,    63,    64,    65,    66,
      67,    68,    -1,    -1,    71,    72,    73,    74,    75,    76,
      77,    -1,    79,    80,    -1,    82,    83,    84,    85,    -1,
       1,    88,     3,     4,     5,    -1,     7,    -1,    -1,    10,
      11,    12,    13,    14,    15,    -1,    -1,    18,    19,    20,
      21,    22,    23,    24,    25,    -1,    -1,    -1,    -1,    30,
      31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,
      41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    62,    63,    64,    65,    66,    67,    68,    -1,    -1,
      71,    72,    73,    74,    75,    76,    77,    -1,    79,    80,
      -1,    82,    83,    84,    85,    -1,     1,    88,     3,     4,
       5,    -1,     7,    -1,    -1,    10,    11,    12,    13,    14,
      15,    -1,    -1,    18,    19,    20,    21,    22,    23,    24,
      25,    -1,    -1,    -1,    -1,    30,    31,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    40,    41,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,    63,    64,
      65,    66,    67,    68,    -1,    -1,    71,    72,    73,    74,
      75,    76,    77,    -1,    79,    80,    -1,    82,    -1,    84,
      85,    -1,     1,    88,     3,     4,     5,    -1,     7,    -1,
      -1,    10,    11,    12,    13,    14,    15,    -1,    -1,    18,
      19,    20,    21,    22,    23,    24,    25,    -1,    -1,    -1,
      -1,    30,    31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    40,    41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    62,    63,    64,    65,    66,    67,    68,
      -1,    -1,    71,    72,    73,    74,    75,    76,    77,    -1,
      79,    80,    -1,    82,    -1,    84,    85,    -1,     1,    88,
       3,     4,     5,    -1,     7,    -1,    -1,    10,    11,    12,
      13,    14,    15,    -1,    -1,    18,    19,    20,    21,    22,
      23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,    41,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,
      63,    64,    65,    66,    67,    68,    -1,    -1,    71,    72,
      73,    74,    75,    76,    77,    -1,    79,    80,    -1,    82,
      -1,    84,    85,    -1,     1,    88,     3,     4,     5,    -1,
       7,    -1,    -1,    10,    11,    12,    13,    14,    15,    -1,
      -1,    18,    19,    20,    21,    22,    23,    24,    25,    -1,
      -1,    -1,    -1,    30,    31,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    40,    41,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    62,    63,    64,    65,    66,
      67,    68,    -1,    -1,    71,    72,    73,    74,    75,    76,
      77,    -1,    79,    80,    -1,    82,    -1,    84,    85,    -1,
       1,    88,     3,     4,     5,    -1,     7,    -1,    -1,    10,
      11,    12,    13,    14,    15,    -1,    -1,    18,    19,    20,
      21,    22,    23,    24,    25,    -1,    -1,    -1,    -1,    30,
      31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,
      41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    62,    63,    64,    65,    66,    67,    68,    -1,    -1,
      71,    72,    73,    74,    75,    76,    77,    -1,    79,    80,
      -1,    82,    -1,    84,    85,    -1,     1,    88,     3,     4,
       5,    -1,     7,    -1,    -1,    10,    11,    12,    13,    14,
      15,    -1,    -1,    18,    19,    20,    21,    22,    23,    24,
      25,    -1,    -1,    -1,    -1,    30,    31,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    40,    41,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,    63,    64,
      65,    66,    67,    68,    -1,    -1,    71,    72,    73,    74,
      75,    76,    77,     1,    79,    80,    -1,    82,    -1,    84,
      85,    -1,    -1,    88,    -1,    -1,    14,    -1,    -1,    -1,
      -1,    19,    -1,    -1,    -1,    23,    24,    25,    -1,    -1,
      -1,    -1,    30,    31,    -1,    36,    -1,    38,    39,    -1,
      -1,    -1,    40,    41,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    54,    55,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    63,    64,    65,    66,    67,
      68,    -1,    -1,    71,    72,    73,    74,    75,    76,    77,
      81,    -1,    83,    84,    82,    86,    87,    85,    89,    90,
      88,     3,     4,     5,    -1,     7,     8,     9,    10,    11,
      12,    13,    14,    15,    -1,    -1,    18,    19,    20,    21,
      22,    23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,    41,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      62,    63,    64,    65,    66,    67,    68,    -1,    -1,    71,
      72,    73,    74,    75,    76,    77,    -1,    79,    80,    -1,
      82,    83,    84,    85,    -1,    -1,    88,     3,     4,     5,
      -1,     7,     8,     9,    10,    11,    12,    13,    14,    15,
      -1,    -1,    18,    19,    20,    21,    22,    23,    24,    25,
      -1,    -1,    -1,    -1,    30,    31,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    40,    41,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    62,    63,    64,    65,
      66,    67,    68,    -1,    -1,    71,    72,    73,    74,    75,
      76,    77,    -1,    79,    80,    -1,    82,    83,    84,    85,
      -1,    -1,    88,     3,     4,     5,    -1,     7,     8,     9,
      10,    11,    12,    13,    14,    15,    -1,    -1,    18,    19,
      20,    21,    22,    23,    24,    25,    -1,    -1,    -1,    -1,
      30,    31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      40,    41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    62,    63,    64,    65,    66,    67,    68,    -1,
      -1,    71,    72,    73,    74,    75,    76,    77,    -1,    79,
      80,    -1,    82,    83,    84,    85,    -1,    -1,    88,     3,
       4,     5,    -1,     7,     8,     9,    10,    11,    12,    13,
      14,    15,    -1,    -1,    18,    19,    20,    21,    22,    23,
      24,    25,    -1,    -1,    -1,    -1,    30,    31,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    40,    41,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,    63,
      64,    65,    66,    67,    68,    -1,    -1,    71,    72,    73,
      74,    75,    76,    77,    -1,    79,    80,    -1,    82,    83,
      84,    85,    -1,    -1,    88,     3,     4,     5,    -1,     7,
       8,     9,    10,    11,    12,    13,    14,    15,    -1,    -1,
      18,    19,    20,    21,    22,    23,    24,    25,    -1,    -1,
      -1,    -1,    30,    31,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    40,    41,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    62,    63,    64,    65,    66,    67,
      68,    -1,    -1,    71,    72,    73,    74,    75,    76,    77,
      -1,    79,    80,    -1,    82,    83,    84,    85,    -1,    -1,
      88,     3,     4,     5,    -1,     7,     8,     9,    10,    11,
      12,    13,    14,    15,    -1,    -1,    18,    19,    20,    21,
      22,    23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,    41,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      62,    63,    64,    65,    66,    67,    68,    -1,    -1,    71,
      72,    73,    74,    75,    76,    77,    -1,    79,    80,    -1,
      82,    83,    84,    85,    -1,    -1,    88,     3,     4,     5,
      -1,     7,     8,     9,    10,    11,    12,    13,    14,    15,
      -1,    -1,    18,    19,    20,    21,    22,    23,    24,    25,
      -1,    -1,    -1,    -1,    30,    31,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    40,    41,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    62,    63,    64,    65,
      66,    67,    68,    -1,    -1,    71,    72,    73,    74,    75,
      76,    77,    -1,    79,    80,    -1,    82,    83,    84,    85,
      -1,    -1,    88,     3,     4,     5,    -1,     7,    -1,    -1,
      10,    11,    12,    13,    14,    15,    -1,    -1,    18,    19,
      20,    21,    22,    23,    24,    25,    -1,    -1,    -1,    -1,
      30,    31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      40,    41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    62,    63,    64,    65,    66,    67,    68,    -1,
      -1,    71,    72,    73,    74,    75,    76,    77,    -1,    79,
      80,    -1,    82,    83,    84,    85,    -1,    -1,    88,     3,
       4,     5,    -1,     7,    -1,    -1,    10,    11,    12,    13,
      14,    15,    -1,    -1,    18,    19,    20,    21,    22,    23,
      24,    25,    -1,    -1,    -1,    -1,    30,    31,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    40,    41,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,    63,
      64,    65,    66,    67,    68,    -1,    -1,    71,    72,    73,
      74,    75,    76,    77,    -1,    79,    80,    -1,    82,    83,
      84,    85,    -1,    -1,    88,     3,     4,     5,    -1,     7,
      -1,    -1,    10,    11,    12,    13,    14,    15,    -1,    -1,
      18,    19,    20,    21,    22,    23,    24,    25,    -1,    -1,
      -1,    -1,    30,    31,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    40,    41,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    62,    63,    64,    65,    66,    67,
      68,    -1,    -1,    71,    72,    73,    74,    75,    76,    77,
      -1,    79,    80,    -1,    82,    -1,    84,    85,    -1,    -1,
      88,     3,     4,     5,    -1,     7,    -1,    -1,    10,    11,
      12,    13,    14,    15,    -1,    -1,    18,    19,    20,    21,
      22,    23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,    41,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      62,    63,    64,    65,    66,    67,    68,    -1,    -1,    71,
      72,    73,    74,    75,    76,    77,    -1,    79,    80,    -1,
      82,    -1,    84,    85,    -1,    -1,    88,     3,     4,     5,
      -1,     7,    -1,    -1,    10,    11,    12,    13,    14,    15,
      -1,    -1,    18,    19,    20,    21,    22,    23,    24,    25,
      -1,    -1,    -1,    -1,    30,    31,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    40,    41,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    62,    63,    64,    65,
      66,    67,    68,    -1,    -1,    71,    72,    73,    74,    75,
      76,    77,    -1,    79,    80,    -1,    82,    -1,    84,    85,
      -1,    -1,    88,     3,     4,     5,    -1,     7,    -1,    -1,
      10,    11,    12,    13,    14,    15,    -1,    -1,    18,    19,
      20,    21,    22,    23,    24,    25,    -1,    -1,    -1,    -1,
      30,    31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      40,    41,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    62,    63,    64,    65,    66,    67,    68,    -1,
      -1,    71,    72,    73,    74,    75,    76,    77,    -1,    79,
      80,    -1,    82,    -1,    84,    85,    -1,    -1,    88,     3,
       4,     5,    -1,     7,    -1,    -1,    10,    11,    12,    13,
      14,    15,    -1,    -1,    18,    19,    20,    21,    22,    23,
      24,    25,    -1,    -1,    -1,    -1,    30,    31,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    40,    41,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    62,    63,
      64,    65,    66,    67,    68,    -1,    -1,    71,    72,    73,
      74,    75,    76,    77,    -1,    79,    80,    -1,    82,    -1,
      84,    85,    -1,    -1,    88,     3,     4,     5,    -1,     7,
      -1,    -1,    10,    11,    12,    13,    14,    15,    -1,    -1,
      18,    19,    20,    21,    22,    23,    24,    25,    -1,    -1,
      -1,    -1,    30,    31,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    40,    41,    -1,    14,    -1,    -1,    -1,    -1,
      19,    -1,    -1,    -1,    23,    24,    25,    -1,    -1,    -1,
      -1,    30,    31,    -1,    62,    63,    64,    65,    66,    67,
      68,    40,    41,    71,    72,    73,    74,    75,    76,    77,
      -1,    79,    80,    -1,    82,    -1,    84,    85,    -1,    -1,
      88,    -1,    -1,    62,    63,    64,    65,    66,    67,    68,
      69,    70,    71,    72,    73,    74,    75,    76,    77,    -1,
      -1,    -1,    14,    82,    -1,    -1,    85,    19,    -1,    88,
      -1,    23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,    41,
      -1,    14,    -1,    -1,    -1,    -1,    19,    -1,    -1,    -1,
      23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,    -1,
      62,    63,    64,    65,    66,    67,    68,    40,    41,    71,
      72,    73,    74,    75,    76,    77,    -1,    -1,    -1,    -1,
      82,    -1,    84,    85,    -1,    -1,    88,    -1,    -1,    62,
      63,    64,    65,    66,    67,    68,    -1,    -1,    71,    72,
      73,    74,    75,    76,    77,    -1,    -1,    -1,    14,    82,
      -1,    84,    85,    19,    -1,    88,    -1,    23,    24,    25,
      -1,    -1,    -1,    -1,    30,    31,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    40,    41,    -1,    14,    -1,    -1,
      -1,    -1,    19,    -1,    -1,    -1,    23,    24,    25,    -1,
      -1,    -1,    -1,    30,    31,    -1,    62,    63,    64,    65,
      66,    67,    68,    40,    41,    71,    72,    73,    74,    75,
      76,    77,    -1,    -1,    -1,    -1,    82,    -1,    84,    85,
      -1,    -1,    88,    -1,    -1,    62,    63,    64,    65,    66,
      67,    68,    -1,    -1,    71,    72,    73,    74,    75,    76,
      77,    -1,    -1,    -1,    14,    82,    -1,    84,    85,    19,
      -1,    88,    -1,    23,    24,    25,    -1,    -1,    -1,    -1,
      30,    31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      40,    41,    -1,    14,    -1,    -1,    -1,    -1,    19,    -1,
      -1,    -1,    23,    24,    25,    -1,    -1,    -1,    -1,    30,
      31,    -1,    62,    63,    64,    65,    66,    67,    68,    40,
      41,    71,    72,    73,    74,    75,    76,    77,    -1,    -1,
      -1,    -1,    82,    -1,    -1,    85,    86,    -1,    88,    -1,
      -1,    62,    63,    64,    65,    66,    67,    68,    -1,    -1,
      71,    72,    73,    74,    75,    76,    77,    -1,    -1,    -1,
      -1,    82,    -1,    14,    85,    86,    -1,    88,    19,    -1,
      -1,    -1,    23,    24,    25,    -1,    -1,    -1,    -1,    30,
      31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,
      41,    -1,    14,    -1,    -1,    -1,    -1,    19,    -1,    -1,
      -1,    23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,
      -1,    62,    63,    64,    65,    66,    67,    68,    40,    41,
      71,    72,    73,    74,    75,    76,    77,    -1,    -1,    -1,
      -1,    82,    -1,    -1,    85,    -1,    -1,    88,    -1,    -1,
      62,    63,    64,    65,    66,    67,    68,    -1,    -1,    71,
      72,    73,    74,    75,    76,    77,    -1,    -1,    -1,    14,
      82,    -1,    -1,    85,    19,    -1,    88,    -1,    23,    24,
      25,    -1,    -1,    -1,    -1,    30,    31,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    40,    41,    -1,    14,    -1,
      -1,    -1,    -1,    19,    -1,    -1,    -1,    23,    24,    25,
      -1,    -1,    -1,    -1,    30,    31,    -1,    62,    63,    64,
      65,    66,    67,    68,    40,    41,    71,    72,    73,    74,
      75,    76,    77,    -1,    -1,    -1,    -1,    82,    -1,    -1,
      85,    -1,    -1,    88,    -1,    -1,    62,    63,    64,    65,
      66,    67,    68,    -1,    -1,    71,    72,    73,    74,    75,
      76,    77,    -1,    -1,    -1,    14,    82,    -1,    -1,    85,
      19,    -1,    88,    -1,    23,    24,    25,    -1,    -1,    -1,
      -1,    30,    31,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    40,    41,    -1,    14,    -1,    -1,    -1,    -1,    19,
      -1,    -1,    -1,    23,    24,    25,    -1,    -1,    -1,    -1,
      30,    31,    -1,    -1,    63,    64,    65,    66,    67,    68,
      40,    41,    71,    72,    73,    74,    75,    76,    77,    -1,
      -1,    -1,    -1,    82,    -1,    -1,    85,    -1,    -1,    88,
      -1,    -1,    -1,    63,    64,    65,    66,    67,    68,    -1,
      -1,    71,    72,    73,    74,    75,    76,    77,    -1,    -1,
      -1,    14,    82,    -1,    -1,    85,    19,    -1,    88,    -1,
      23,    24,    25,    -1,    -1,    -1,    -1,    30,    31,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    40,    41,    -1,
      14,    -1,    -1,    -1,    -1,    19,    -1,    -1,    -1,    23,
      24,    25,    -1,    -1,    -1,    -1,    30,    31,    -1,    -1,
      63,    64,    65,    66,    67,    68,    40,    41,    71,    72,
      73,    74,    75,    76,    77,    -1,    -1,    -1,    -1,    82,
      -1,    -1,    85,    -1,    -1,    88,    -1,    -1,    -1,    63,
      64,    65,    66,    67,    68,    -1,    -1,    71,    72,    73,
      74,    75,    76,    77,    -1,    -1,    -1,    14,    82,    -1,
      -1,    85,    19,    -1,    88,    -1,    23,    24,    25,    -1,
      -1,    -1,    -1,    30,    31,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    40,    41,    -1,    14,    -1,    -1,    -1,
      -1,    19,    -1,    -1,    -1,    23,    24,    25,    -1,    -1,
      -1,    -1,    30,    31,    -1,    -1,    63,    64,    65,    66,
      67,    68,    40,    41,    71,    72,    73,    74,    75,    76,
      77,    -1,    -1,    -1,    14,    82,    -1,    -1,    85,    19,
      -1,    88,    -1,    -1,    -1,    63,    64,    65,    66,    67,
      68,    -1,    -1,    71,    72,    73,    74,    75,    76,    77,
      -1,    -1,    -1,    14,    82,    -1,    -1,    85,    19,    -1,
      88,    -1,    23,    24,    25,    -1,    -1,    -1,    -1,    30,
      31,    -1,    -1,    63,    64,    65,    66,    67,    68,    40,
      41,    71,    72,    73,    74,    75,    76,    77,    -1,    -1,
      -1,    -1,    82,    -1,    -1,    85,    -1,    -1,    88,    -1,
      -1,    -1,    63,    64,    65,    66,    67,    68,    -1,    -1,
      71,    72,    73,    74,    75,    76,    77,    -1,    -1,    -1,
      -1,    82,    -1,    -1,    85,    23,    -1,    88,    26,    27,
      28,    29,    -1,    -1,    32,    33,    34,    35,    36,    37,
      38,    39,    40,    41,    42,    43,    44,    45,    46,    47,
      48,    49,    50,    51,    52,    53,    54,    55,    56,    57,
      58,    59,    60,    61,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    81,    -1,    83,    84,    85,    86,    87,
      88,    89,    90,    91,    23,    -1,    -1,    26,    27,    28,
      29,    -1,    -1,    32,    33,    34,    35,    36,    37,    38,
      39,    40,    41,    42,    43,    44,    45,    46,    47,    48,
      49,    50,    51,    52,    53,    54,    55,    56,    57,    58,
      59,    60,    61,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    81,    -1,    83,    84,    85,    86,    87,    88,
      89,    90,    91,    23,    -1,    -1,    26,    27,    28,    29,
      -1,    -1,    32,    33,    34,    35,    36,    37,    38,    39,
      40,    41,    42,    43,    44,    45,    46,    47,    48,    49,
      50,    51,    52,    53,    54,    55,    56,    57,    58,    59,
      60,    61,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    81,    -1,    83,    84,    85,    86,    87,    88,    89,
      90,    91,    23,    -1,    -1,    26,    27,    28,    29,    -1,
      -1,    32,    33,    34,    35,    36,    37,    38,    39,    40,
      41,    42,    43,    44,    45,    46,    47,    48,    49,    50,
      51,    52,    53,    54,    55,    56,    57,    58,    59,    60,
      61,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      81,    -1,    83,    84,    85,    86,    87,    88,    89,    90,
      91,    23,    -1,    -1,    26,    27,    28,    29,    -1,    -1,
      32,    33,    34,    35,    36,    37,    38,    39,    40,    41,
      42,    43,    44,    45,    46,    47,    48,    49,    50,    51,
      52,    53,    54,    55,    56,    57,    58,    59,    60,    61,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,
      -1,    83,    84,    85,    86,    87,    88,    89,    90,    91,
      23,    -1,    -1,    26,    27,    28,    29,    -1,    -1,    32,
      33,    34,    35,    36,    37,    38,    39,    40,    41,    42,
      43,    44,    45,    46,    47,    48,    49,    50,    51,    52,
      53,    54,    55,    56,    57,    58,    59,    60,    61,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,    -1,
      83,    84,    85,    86,    87,    88,    89,    90,    91,    23,
      -1,    -1,    26,    27,    28,    29,    -1,    -1,    32,    33,
      34,    35,    36,    37,    38,    39,    40,    41,    42,    43,
      44,    45,    46,    47,    48,    49,    50,    51,    52,    53,
      54,    55,    56,    57,    58,    59,    60,    61,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,    -1,    83,
      84,    85,    86,    87,    88,    89,    90,    91,    23,    -1,
      -1,    26,    27,    28,    29,    -1,    -1,    32,    33,    34,
      35,    36,    37,    38,    39,    40,    41,    42,    43,    44,
      45,    46,    47,    48,    49,    50,    51,    52,    53,    54,
      55,    56,    57,    58,    59,    60,    61,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    81,    -1,    83,    84,
      85,    86,    87,    88,    89,    90,    91,    23,    -1,    -1,
      26,    27,    28,    29,    -1,    -1,    32,    33,    34,    35,
      36,    37,    38,    39,    40,    41,    42,    43,    44,    45,
      46,    47,    48,    49,    50,    51,    52,    53,    54,    55,
      56,    57,    58,    59,    60,    61,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    81,    -1,    83,    84,    85,
      86,    87,    88,    89,    90,    91,    23,    -1,    -1,    26,
      27,    28,    29,    -1,    -1,    32,    33,    34,    35,    36,
      37,    38,    39,    40,    41,    42,    43,    44,    45,    46,
      47,    48,    49,    50,    51,    52,    53,    54,    55,    56,
      57,    58,    59,    60,    61,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    81,    -1,    83,    84,    85,    86,
      87,    88,    89,    90,    91,    23,    -1,    -1,    26,    27,
      28,    29,    -1,    -1,    32,    33,    34,    35,    36,    37,
      38,    39,    40,    41,    42,    43,    44,    45,    46,    47,
      48,    49,    50,    51,    52,    53,    54,    55,    56,    57,
      58,    59,    60,    61,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    81,    -1,    83,    84,    85,    86,    87,
      88,    89,    90,    91,    23,    -1,    -1,    26,    27,    28,
      29,    -1,    -1,    32,    33,    34,    35,    36,    37,    38,
      39,    40,    41,    42,    43,    44,    45,    46,    47,    48,
      49,    50,    51,    52,    53,    54,    55,    56,    57,    58,
      59,    60,    61,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    81,    -1,    83,    84,    85,    86,    87,    88,
      89,    90,    91,    23,    -1,    -1,    26,    27,    28,    29,
      -1,    -1,    32,    33,    34,    35,    36,    37,    38,    39,
      40,    41,    42,    43,    44,    45,    46,    47,    48,    49,
      50,    51,    52,    53,    54,    55,    56,    57,    58,    59,
      60,    61,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    81,    -1,    83,    84,    85,    86,    87,    88,    89,
      90,    91,    23,    -1,    -1,    26,    27,    28,    29,    -1,
      -1,    32,    33,    34,    35,    36,    37,    38,    39,    40,
      41,    42,    43,    44,    45,    46,    47,    48,    49,    50,
      51,    52,    53,    54,    55,    56,    57,    58,    59,    60,
      61,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      81,    -1,    83,    84,    85,    86,    87,    88,    89,    90,
      91,    23,    -1,    -1,    26,    27,    28,    29,    -1,    -1,
      32,    33,    34,    35,    36,    37,    38,    39,    40,    41,
      42,    43,    44,    45,    46,    47,    48,    49,    50,    51,
      52,    53,    54,    55,    56,    57,    58,    59,    60,    61,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,
      -1,    83,    84,    85,    86,    87,    88,    89,    90,    91,
      23,    -1,    -1,    26,    27,    28,    29,    -1,    -1,    32,
      33,    34,    35,    36,    37,    38,    39,    40,    41,    42,
      43,    44,    45,    46,    47,    48,    49,    50,    51,    52,
      53,    54,    55,    56,    57,    58,    59,    60,    61,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,    -1,
      83,    84,    85,    86,    87,    88,    89,    90,    91,    23,
      -1,    -1,    26,    27,    28,    29,    -1,    -1,    32,    33,
      34,    35,    36,    37,    38,    39,    40,    41,    42,    43,
      44,    45,    46,    47,    48,    49,    50,    51,    52,    53,
      54,    55,    56,    57,    58,    59,    60,    61,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,    -1,    83,
      84,    85,    86,    87,    88,    89,    90,    91,    23,    -1,
      -1,    26,    27,    28,    29,    -1,    -1,    32,    33,    34,
      35,    36,    37,    38,    39,    40,    41,    42,    43,    44,
      45,    46,    47,    48,    49,    50,    51,    52,    53,    54,
      55,    56,    57,    58,    59,    60,    61,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    81,    -1,    83,    84,
      85,    86,    87,    88,    89,    90,    91,    23,    -1,    -1,
      26,    27,    28,    29,    -1,    -1,    32,    33,    34,    35,
      36,    37,    38,    39,    40,    41,    42,    43,    44,    45,
      46,    47,    48,    49,    50,    51,    52,    53,    54,    55,
      56,    57,    58,    59,    60,    61,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    81,    -1,    83,    84,    85,
      86,    87,    88,    89,    90,    91,    23,    -1,    -1,    26,
      27,    28,    29,    -1,    -1,    32,    33,    34,    35,    36,
      37,    38,    39,    40,    41,    42,    43,    44,    45,    46,
      47,    48,    49,    50,    51,    52,    53,    54,    55,    56,
      57,    58,    59,    60,    61,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    81,    -1,    83,    84,    85,    86,
      87,    88,    89,    90,    91,    23,    -1,    -1,    26,    27,
      28,    29,    -1,    -1,    32,    33,    34,    35,    36,    37,
      38,    39,    40,    41,    42,    43,    44,    45,    46,    47,
      48,    49,    50,    51,    52,    53,    54,    55,    56,    57,
      58,    59,    60,    61,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    81,    -1,    83,    84,    85,    86,    87,
      88,    89,    90,    91,    23,    -1,    -1,    26,    27,    28,
      29,    -1,    -1,    32,    33,    34,    35,    36,    37,    38,
      39,    40,    41,    42,    43,    44,    45,    46,    47,    48,
      49,    50,    51,    52,    53,    54,    55,    56,    57,    58,
      59,    60,    61,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    81,    -1,    83,    84,    85,    86,    87,    88,
      89,    90,    91,    23,    -1,    -1,    26,    27,    28,    29,
      -1,    -1,    32,    33,    34,    35,    36,    37,    38,    39,
      40,    41,    42,    43,    44,    45,    46,    47,    48,    49,
      50,    51,    52,    53,    54,    55,    56,    57,    58,    59,
      60,    61,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    81,    -1,    83,    84,    85,    86,    87,    88,    89,
      90,    91,    23,    -1,    -1,    26,    27,    28,    29,    -1,
      -1,    32,    33,    34,    35,    36,    37,    38,    39,    40,
      41,    42,    43,    44,    45,    46,    47,    48,    49,    50,
      51,    52,    53,    54,    55,    56,    57,    58,    59,    60,
      61,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      81,    -1,    83,    84,    85,    86,    87,    88,    89,    90,
      91,    23,    -1,    -1,    26,    27,    28,    29,    -1,    -1,
      32,    33,    34,    35,    36,    37,    38,    39,    40,    41,
      42,    43,    44,    45,    46,    47,    48,    49,    50,    51,
      52,    53,    54,    55,    56,    57,    58,    59,    60,    61,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,
      -1,    83,    84,    85,    86,    87,    88,    89,    90,    91,
      23,    -1,    -1,    26,    27,    28,    29,    -1,    -1,    32,
      33,    34,    35,    36,    37,    38,    39,    40,    41,    42,
      43,    44,    45,    46,    47,    48,    49,    50,    51,    52,
      53,    54,    55,    56,    57,    58,    59,    60,    61,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,    -1,
      83,    84,    85,    86,    87,    88,    89,    90,    91,    23,
      -1,    -1,    26,    27,    28,    29,    -1,    -1,    32,    33,
      34,    35,    36,    37,    38,    39,    40,    41,    42,    43,
      44,    45,    46,    47,    48,    49,    50,    51,    52,    53,
      54,    55,    56,    57,    58,    59,    60,    61,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,    -1,    83,
      84,    85,    86,    87,    88,    89,    90,    91,    23,    -1,
      -1,    26,    27,    28,    29,    -1,    -1,    32,    33,    34,
      35,    36,    37,    38,    39,    40,    41,    42,    43,    44,
      45,    46,    47,    48,    49,    50,    51,    52,    53,    54,
      55,    56,    57,    58,    59,    60,    61,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    81,    -1,    83,    84,
      85,    86,    87,    88,    89,    90,    91,    23,    -1,    -1,
      26,    27,    28,    29,    -1,    -1,    32,    33,    34,    35,
      36,    37,    38,    39,    40,    41,    42,    43,    44,    45,
      46,    47,    48,    49,    50,    51,    52,    53,    54,    55,
      56,    57,    58,    59,    60,    61,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    81,    -1,    83,    84,    85,
      86,    87,    88,    89,    90,    91,    23,    -1,    -1,    26,
      27,    28,    29,    -1,    -1,    32,    33,    34,    35,    36,
      37,    38,    39,    40,    41,    42,    43,    44,    45,    46,
      47,    48,    49,    50,    51,    52,    53,    54,    55,    56,
      57,    58,    59,    60,    61,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    81,    -1,    83,    84,    85,    86,
      87,    88,    89,    90,    91,    23,    -1,    -1,    26,    27,
      28,    29,    -1,    -1,    32,    33,    34,    35,    36,    37,
      38,    39,    40,    41,    42,    43,    44,    45,    46,    47,
      48,    49,    50,    51,    52,    53,    54,    55,    56,    57,
      58,    59,    60,    61,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    81,    -1,    83,    84,    85,    86,    87,
      88,    89,    90,    91,    23,    -1,    -1,    26,    27,    28,
      29,    -1,    -1,    32,    33,    34,    35,    36,    37,    38,
      39,    40,    41,    42,    43,    44,    45,    46,    47,    48,
      49,    50,    51,    52,    53,    54,    55,    56,    57,    58,
      59,    60,    61,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    81,    -1,    83,    84,    85,    86,    87,    88,
      89,    90,    91,    23,    -1,    -1,    26,    27,    28,    29,
      -1,    -1,    32,    33,    34,    35,    36,    37,    38,    39,
      40,    41,    42,    43,    44,    45,    46,    47,    48,    49,
      50,    51,    52,    53,    54,    55,    56,    57,    58,    59,
      60,    61,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    81,    -1,    83,    84,    85,    86,    87,    88,    89,
      90,    91,    23,    -1,    -1,    26,    27,    28,    29,    -1,
      -1,    32,    33,    34,    35,    36,    37,    38,    39,    40,
      41,    42,    43,    44,    45,    46,    47,    48,    49,    50,
      51,    52,    53,    54,    55,    56,    57,    58,    59,    60,
      61,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      81,    -1,    -1,    84,    85,    -1,    87,    88,    23,    90,
      91,    26,    27,    28,    29,    -1,    -1,    32,    33,    34,
      35,    36,    37,    38,    39,    40,    41,    42,    43,    44,
      45,    46,    47,    48,    49,    50,    51,    52,    53,    54,
      55,    56,    57,    58,    59,    60,    61,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      85,    -1,    87,    88,    89,    90,    91,    23,    -1,    -1,
      26,    27,    28,    29,    -1,    -1,    32,    33,    34,    35,
      36,    37,    38,    39,    40,    41,    42,    43,    44,    45,
      46,    47,    48,    49,    50,    51,    52,    53,    54,    55,
      56,    57,    58,    59,    60,    61,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    85,
      -1,    87,    88,    89,    90,    91,    23,    -1,    -1,    26,
      27,    28,    29,    -1,    -1,    32,    33,    34,    35,    36,
      37,    38,    39,    40,    41,    42,    43,    44,    45,    46,
      47,    48,    49,    50,    51,    52,    53,    54,    55,    56,
      57,    58,    59,    60,    61,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    81,    -1,    83,    84,    -1,    86,
      87,    23,    89,    90,    26,    27,    28,    29,    -1,    -1,
      32,    33,    34,    35,    36,    37,    38,    39,    40,    41,
      42,    43,    44,    45,    46,    47,    48,    49,    50,    51,
      52,    53,    54,    55,    56,    57,    58,    59,    60,    61,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,
      -1,    83,    84,    -1,    86,    87,    23,    89,    90,    26,
      27,    28,    29,    -1,    -1,    32,    33,    34,    35,    36,
      37,    38,    39,    40,    41,    42,    43,    44,    45,    46,
      47,    48,    49,    50,    51,    52,    53,    54,    55,    56,
      57,    58,    59,    60,    61,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    81,    -1,    83,    84,    -1,    86,
      87,    23,    89,    90,    26,    27,    28,    29,    -1,    -1,
      32,    33,    34,    35,    36,    37,    38,    39,    40,    41,
      42,    43,    44,    45,    46,    47,    48,    49,    50,    51,
      52,    53,    54,    55,    56,    57,    58,    59,    60,    61,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,
      -1,    83,    84,    -1,    86,    87,    23,    89,    90,    26,
      27,    28,    29,    -1,    -1,    32,    33,    34,    35,    36,
      37,    38,    39,    40,    41,    42,    43,    44,    45,    46,
      47,    48,    49,    50,    51,    52,    53,    54,    55,    56,
      57,    58,    59,    60,    61,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    81,    -1,    83,    84,    -1,    86,
      87,    23,    89,    90,    26,    27,    28,    29,    -1,    -1,
      32,    33,    34,    35,    36,    37,    38,    39,    40,    41,
      42,    43,    44,    45,    46,    47,    48,    49,    50,    51,
      52,    53,    54,    55,    56,    57,    58,    59,    60,    61,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,
      -1,    83,    84,    -1,    86,    87,    23,    89,    90,    26,
      27,    28,    29,    -1,    -1,    32,    33,    34,    35,    36,
      37,    38,    39,    -1,    -1,    42,    43,    44,    45,    46,
      47,    48,    49,    50,    51,    52,    53,    54,    55,    56,
      57,    58,    59,    60,    61,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    81,    -1,    83,    84,    -1,    86,
      87,    23,    89,    90,    26,    27,    28,    29,    -1,    -1,
      32,    33,    34,    35,    36,    37,    38,    39,    -1,    -1,
      42,    43,    44,    45,    46,    47,    48,    49,    50,    51,
      52,    53,    54,    55,    56,    57,    58,    59,    60,    61,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,
      -1,    83,    84,    -1,    86,    87,    23,    89,    90,    26,
      27,    28,    29,    -1,    -1,    32,    33,    34,    35,    36,
      37,    38,    39,    -1,    -1,    42,    43,    44,    45,    46,
      47,    48,    49,    50,    51,    52,    53,    54,    55,    56,
      57,    58,    59,    60,    61,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    81,    -1,    83,    84,    -1,    86,
      87,    23,    89,    90,    26,    27,    28,    29,    -1,    -1,
      32,    33,    34,    35,    36,    37,    38,    39,    -1,    -1,
      42,    43,    44,    45,    46,    47,    48,    49,    50,    51,
      52,    53,    54,    55,    56,    57,    58,    59,    60,    61,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,
      -1,    83,    84,    -1,    86,    87,    23,    89,    90,    26,
      27,    28,    29,    -1,    -1,    32,    33,    34,    35,    36,
      37,    38,    39,    -1,    -1,    42,    43,    44,    45,    46,
      47,    48,    49,    50,    51,    52,    53,    54,    55,    56,
      57,    58,    59,    60,    61,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    81,    -1,    83,    84,    -1,    86,
      87,    23,    89,    90,    26,    27,    28,    29,    -1,    -1,
      32,    33,    34,    35,    36,    37,    38,    39,    -1,    -1,
      42,    43,    44,    45,    46,    47,    48,    49,    50,    51,
      52,    53,    54,    55,    56,    57,    58,    59,    60,    61,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,
      -1,    83,    84,    -1,    86,    87,    23,    89,    90,    26,
      27,    28,    29,    -1,    -1,    32,    33,    34,    35,    36,
      37,    38,    39,    -1,    -1,    42,    43,    44,    45,    46,
      47,    48,    49,    50,    51,    52,    53,    54,    55,    56,
      57,    58,    59,    60,    61,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    81,    -1,    83,    84,    -1,    86,
      87,    23,    89,    90,    26,    27,    28,    29,    -1,    -1,
      32,    33,    34,    35,    36,    37,    38,    39,    -1,    -1,
      42,    43,    44,    45,    46,    47,    48,    49,    50,    51,
      52,    53,    54,    55,    56,    57,    58,    59,    60,    61,
      -1,    23,    -1,    -1,    26,    27,    28,    29,    -1,    -1,
      32,    33,    34,    35,    36,    -1,    38,    39,    -1,    81,
      42,    43,    84,    -1,    86,    87,    -1,    89,    90,    -1,
      52,    53,    54,    55,    56,    57,    -1,    -1,    60,    61,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,
      -1,    83,    84,    -1,    86,    87,    23,    89,    90,    26,
      27,    28,    29,    -1,    -1,    32,    33,    34,    35,    36,
      -1,    38,    39,    -1,    -1,    42,    43,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    52,    53,    54,    55,    56,
      57,    -1,    -1,    60,    61,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    81,    -1,    83,    84,    -1,    86,
      87,    23,    89,    90,    26,    27,    28,    29,    -1,    -1,
      32,    33,    34,    35,    36,    -1,    38,    39,    -1,    -1,
      42,    43,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      52,    53,    54,    55,    56,    57,    -1,    -1,    60,    61,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,
      -1,    83,    84,    -1,    86,    87,    23,    89,    90,    26,
      27,    28,    29,    -1,    -1,    32,    33,    34,    35,    36,
      -1,    38,    39,    -1,    -1,    42,    43,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    52,    53,    54,    55,    56,
      57,    -1,    -1,    60,    61,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    81,    -1,    83,    84,    -1,    86,
      87,    23,    89,    90,    26,    27,    28,    29,    -1,    -1,
      32,    33,    34,    35,    36,    -1,    38,    39,    -1,    -1,
      42,    43,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      52,    53,    54,    55,    56,    57,    -1,    -1,    60,    61,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,
      -1,    83,    84,    -1,    86,    87,    23,    89,    90,    26,
      27,    28,    29,    -1,    -1,    32,    33,    34,    35,    36,
      -1,    38,    39,    -1,    -1,    42,    43,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    52,    53,    54,    55,    56,
      57,    -1,    -1,    60,    61,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    81,    -1,    83,    84,    -1,    86,
      87,    23,    89,    90,    26,    27,    28,    29,    -1,    -1,
      32,    33,    34,    35,    36,    -1,    38,    39,    -1,    -1,
      42,    43,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      52,    53,    54,    55,    56,    57,    -1,    -1,    60,    61,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,
      -1,    83,    84,    -1,    86,    87,    23,    89,    90,    26,
      27,    28,    29,    -1,    -1,    32,    33,    34,    35,    36,
      -1,    38,    39,    -1,    -1,    42,    43,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    52,    53,    54,    55,    56,
      57,    -1,    -1,    60,    61,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    81,    -1,    83,    84,    -1,    86,
      87,    23,    89,    90,    26,    27,    28,    29,    -1,    -1,
      32,    33,    34,    35,    36,    -1,    38,    39,    -1,    -1,
      42,    43,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      52,    53,    54,    55,    56,    57,    -1,    -1,    60,    61,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,
      -1,    83,    84,    -1,    86,    87,    23,    89,    90,    26,
      27,    28,    29,    -1,    -1,    32,    33,    34,    35,    36,
      -1,    38,    39,    -1,    -1,    42,    43,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    52,    53,    54,    55,    56,
      57,    -1,    -1,    60,    61,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    81,    23,    83,    84,    26,    86,
      87,    -1,    89,    90,    32,    33,    34,    35,    36,    -1,
      38,    39,    -1,    -1,    42,    43,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    52,    53,    54,    55,    56,    57,
      -1,    -1,    60,    61,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    81,    23,    83,    84,    26,    86,    87,
      -1,    89,    90,    32,    33,    34,    35,    36,    -1,    38,
      39,    -1,    -1,    42,    43,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    52,    53,    54,    55,    56,    57,    -1,
      -1,    60,    61,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    81,    23,    83,    84,    26,    86,    87,    -1,
      89,    90,    32,    33,    34,    35,    36,    -1,    38,    39,
      -1,    -1,    42,    43,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    52,    53,    54,    55,    56,    57,    -1,    -1,
      60,    61,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    81,    23,    83,    84,    26,    86,    87,    -1,    89,
      90,    32,    33,    34,    35,    36,    -1,    38,    39,    -1,
      -1,    42,    43,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    52,    53,    54,    55,    56,    57,    -1,    -1,    60,
      61,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      81,    -1,    83,    84,    -1,    86,    87,    -1,    89,    90,
      32,    33,    34,    35,    36,    -1,    38,    39,    -1,    -1,
      42,    43,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      52,    53,    54,    55,    56,    57,    -1,    -1,    60,    61,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,
      -1,    83,    84,    -1,    86,    87,    -1,    89,    90,    32,
      33,    34,    35,    36,    -1,    38,    39,    -1,    -1,    42,
      43,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    52,
      53,    54,    55,    56,    57,    -1,    -1,    60,    61,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,    -1,
      83,    84,    -1,    86,    87,    -1,    89,    90,    32,    33,
      34,    35,    36,    -1,    38,    39,    -1,    -1,    42,    43,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    52,    53,
      54,    55,    56,    57,    -1,    -1,    60,    61,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    81,    -1,    83,
      84,    -1,    86,    87,    -1,    89,    90,    32,    33,    34,
      35,    36,    -1,    38,    39,    -1,    -1,    42,    43,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    52,    53,    54,
      55,    56,    57,    -1,    -1,    60,    61,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    81,    -1,    83,    84,
      -1,    86,    87,    -1,    89,    90,    32,    33,    34,    35,
      36,    -1,    38,    39,    -1,    -1,    42,    43,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    52,    53,    54,    55,
      56,    57,    -1,    -1,    60,    61,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    81,    -1,    83,    84,    -1,
      86,    87,    -1,    89,    90,    32,    33,    34,    35,    36,
      -1,    38,    39,    -1,    -1,    42,    43,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    52,    53,    54,    55,    56,
      57,    -1,    -1,    60,    61,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    81,    -1,    83,    84,    -1,    86,
      87,    -1,    89,    90,    32,    33,    34,    35,    36,    -1,
      38,    39,    -1,    -1,    42,    43,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    52,    53,    54,    55,    56,    57,
      -1,    -1,    60,    61,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    32,    33,    34,    35,    36,    -1,    38,    39,    -1,
      -1,    42,    43,    81,    -1,    83,    84,    -1,    86,    87,
      -1,    89,    90,    54,    55,    56,    57,    -1,    -1,    60,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    32,    33,
      34,    35,    36,    -1,    38,    39,    -1,    -1,    42,    43,
      81,    -1,    83,    84,    -1,    86,    87,    -1,    89,    90,
      54,    55,    56,    57,    -1,    -1,    60,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    32,    33,    34,    35,    36,
      -1,    38,    39,    -1,    -1,    42,    43,    81,    -1,    83,
      84,    -1,    86,    87,    -1,    89,    90,    54,    55,    56,
      57,    -1,    -1,    60,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    32,    33,    34,    35,    36,    -1,    38,    39,
      -1,    -1,    42,    43,    81,    -1,    83,    84,    -1,    86,
      87,    -1,    89,    90,    54,    55,    56,    57,    -1,    -1,
      60,    36,    -1,    38,    39,    -1,    -1,    42,    43,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    54,
      55,    81,    -1,    83,    84,    60,    86,    87,    -1,    89,
      90,    -1,    -1,    -1,    -1,    -1,    -1,    -1,    36,    -1,
      38,    39,    -1,    -1,    42,    43,    81,    -1,    83,    84,
      -1,    86,    87,    -1,    89,    90,    54,    55,    36,    -1,
      38,    39,    60,    -1,    42,    43,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    -1,    -1,    -1,    54,    55,    36,    -1,
      38,    39,    60,    81,    -1,    83,    84,    -1,    86,    87,
      -1,    89,    90,    -1,    -1,    -1,    54,    55,    36,    -1,
      38,    39,    -1,    81,    -1,    83,    84,    -1,    86,    87,
      -1,    89,    90,    -1,    -1,    -1,    54,    55,    -1,    -1,
      -1,    -1,    -1,    81,    -1,    83,    84,    -1,    86,    87,
      -1,    89,    90,    -1,    -1,    -1,    -1,    -1,    -1,    -1,
      -1,    -1,    -1,    81,    -1,    83,    84,    -1,    86,    87,
      -1,    89,    90
};

/* YYSTOS[STATE-NUM] -- The symbol kind of the accessing symbol of
   state STATE-NUM.  */
static const yytype_uint8 yystos[] =
{
       0,     1,     3,     4,     5,    12,    13,    14,    15,    18,
      19,    20,    21,    22,    23,    24,    25,    30,    31,    40,
      41,    62,    63,    64,    65,    66,    67,    68,    71,    72,
      73,    74,    75,    76,    77,    78,    79,    80,    82,    84,
      85,    88,    93,    94,    95,    97,   101,   103,   104,   105,
     123,   125,   130,   131,   133,   140,   148,   149,   150,   152,
     155,   162,   164,   165,   166,   169,   172,   173,   174,   175,
     176,   177,   178,   179,   180,   181,   182,   183,   185,   187,
     188,   194,    73,    84,   162,    84,    85,    73,    84,    73,
      84,    85,   182,   187,   124,    84,   162,    73,   184,    27,
      73,    73,   134,   135,    73,   137,   139,   179,   179,   179,
     179,   179,   179,   179,   165,    81,    73,    61,    73,    82,
     151,   153,    69,    70,   162,   154,   156,     0,    95,     7,
      10,    11,   115,   142,   145,     6,   108,   110,   111,   113,
      82,    99,   101,    16,    17,   126,   128,   129,    84,    84,
      85,    91,    84,    87,    54,    55,    90,    36,    38,    39,
      42,    43,    60,    32,    33,    34,    35,    56,    57,    52,
      53,    61,    23,    26,    27,    28,    29,    37,    44,    45,
      46,    47,    48,    49,    50,    51,    58,    59,    40,    41,
      85,    88,    91,   190,    82,    99,    88,    91,   190,    84,
       1,   106,   162,    84,    84,   190,    99,    84,   186,    85,
      73,    37,    84,    87,    37,    84,    87,    73,    74,    74,
      29,    73,   132,     1,    71,    73,    74,   157,   158,   161,
      83,    86,    86,    86,     1,   159,   160,   166,   179,    89,
      85,    85,   141,    99,    99,   101,     5,   107,   109,   108,
     111,    99,   101,    98,    85,   127,   128,    99,     1,    73,
     147,    73,   163,   170,   171,   167,   173,   173,   173,   174,
     174,   174,   175,   175,   175,   175,   175,   175,   176,   176,
     176,   177,   177,   179,   179,   179,   165,   165,   165,   165,
     165,   165,   165,   165,   165,   165,   165,   189,   191,   192,
      71,    74,   162,    73,    74,    73,    86,    85,   147,   136,
     135,   138,   139,    74,    83,    87,    81,    83,    87,    81,
     178,   178,    87,    89,   162,   146,   162,    85,   112,    99,
     101,     1,    83,    96,   100,   101,    73,    99,    86,    87,
     164,   172,   172,   162,    86,   165,   193,     1,    89,    89,
      89,    89,   147,    86,   166,   166,    73,   166,   158,   166,
     160,    86,    84,   162,    85,    83,   101,    86,   102,    73,
      81,    86,    87,    86,    86,   114,   143,    86,   162,    99,
     168,   165,    82,   146,    86,   166,     8,   117,    84,    71,
      77,     8,     9,   121,   144,    81,    81,    71,    77,    81,
      83,   146,   116,   118,    81,    81,   122,    86,    96,    96,
     119,   120,    96,    96,    96
};

/* YYR1[RULE-NUM] -- Symbol kind of the left-hand side of rule RULE-NUM.  */
static const yytype_uint8 yyr1[] =
{
       0,    92,    93,    94,    94,    94,    95,    95,    96,    96,
      96,    97,    97,    98,    99,   100,   100,   101,   101,   101,
     101,   101,   101,   102,   101,   101,   101,   101,   101,   101,
     101,   101,   101,   101,   101,   101,   101,   101,   101,   103,
     103,   103,   103,   104,   104,   105,   106,   106,   107,   108,
     109,   108,   110,   110,   111,   111,   112,   113,   114,   115,
     116,   117,   118,   117,   119,   117,   120,   117,   121,   122,
     121,   123,   123,   123,   123,   124,   125,   126,   127,   128,
     129,   130,   130,   131,   132,   132,   133,   133,   134,   134,
     135,   136,   135,   137,   137,   138,   139,   140,   140,   141,
     142,   143,   144,   145,   146,   146,   147,   147,   147,   147,
     148,   148,   149,   149,   149,   149,   149,   149,   150,   150,
     151,   152,   153,   152,   154,   155,   156,   155,   157,   157,
     157,   158,   158,   159,   159,   159,   160,   161,   161,   162,
     163,   162,   164,   164,   165,   165,   165,   165,   165,   165,
     165,   165,   165,   165,   165,   165,   166,   167,   168,   166,
     169,   170,   169,   171,   169,   172,   172,   172,   172,   173,
     173,   173,   173,   174,   174,   174,   174,   174,   174,   174,
     175,   175,   175,   175,   176,   176,   176,   177,   177,   177,
     177,   178,   178,   178,   179,   179,   179,   179,   179,   179,
     179,   179,   180,   180,   180,   181,   181,   182,   182,   182,
     182,   182,   182,   182,   182,   183,   184,   185,   186,   185,
     187,   187,   188,   188,   188,   188,   189,   190,   191,   190,
     192,   190,   193,   193,   194,   194,   194,   194,   194,   194,
     194,   194,   194
};

/* YYR2[RULE-NUM] -- Number of symbols on the right-hand side of rule RULE-NUM.  */
static const yytype_int8 yyr2[] =
{
       0,     2,     1,     1,     2,     1,     1,     1,     1,     2,
       1,     0,     2,     0,     3,     2,     1,     1,     2,     1,
       3,     3,     3,     0,     6,     2,     1,     2,     3,     2,
       3,     1,     2,     2,     3,     2,     3,     2,     2,     1,
       2,     2,     3,     2,     2,     4,     1,     1,     0,     3,
       0,     3,     1,     2,     2,     2,     0,     6,     0,     9,
       0,     5,     0,     5,     0,     6,     0,     6,     0,     0,
       4,     1,     2,     3,     2,     0,     3,     2,     0,     3,
       4,     3,     4,     4,     1,     3,     3,     3,     1,     3,
       1,     0,     4,     1,     3,     0,     4,     2,     3,     0,
       5,     0,     0,    10,     0,     1,     0,     1,     3,     1,
       3,     3,     1,     1,     1,     1,     1,     1,     1,     1,
       0,     4,     0,     3,     0,     4,     0,     3,     1,     3,
       1,     3,     3,     1,     3,     1,     1,     1,     1,     1,
       0,     4,     1,     2,     1,     3,     3,     3,     3,     3,
       3,     3,     3,     3,     3,     3,     1,     0,     0,     7,
       1,     0,     4,     0,     4,     1,     3,     3,     3,     1,
       3,     3,     3,     1,     3,     3,     3,     3,     3,     3,
       1,     3,     3,     3,     1,     3,     3,     1,     3,     3,
       3,     1,     4,     4,     1,     2,     2,     2,     2,     2,
       2,     2,     1,     2,     2,     1,     1,     1,     1,     3,
       4,     4,     4,     3,     3,     2,     0,     5,     0,     6,
       1,     2,     2,     2,     3,     4,     0,     3,     0,     4,
       0,     4,     1,     3,     1,     1,     1,     1,     1,     1,
       1,     1,     3
};


enum { YYENOMEM = -2 };

#define yyerrok         (yyerrstatus = 0)
#define yyclearin       (yychar = YYEMPTY)

#define YYACCEPT        goto yyacceptlab
#define YYABORT         goto yyabortlab
#define YYERROR         goto yyerrorlab
#define YYNOMEM         goto yyexhaustedlab


#define YYRECOVERING()  (!!yyerrstatus)

#define YYBACKUP(Token, Value)                                    \
  do                                                              \
    if (yychar == YYEMPTY)                                        \
      {                                                           \
        yychar = (Token);                                         \
        yylval = (Value);                                         \
        YYPOPSTACK (yylen);                                       \
        yystate = *yyssp;                                         \
        goto yybackup;                                            \
      }                                                           \
    else                                                          \
      {                                                           \
        yyerror (YY_("syntax error: cannot back up")); \
        YYERROR;                                                  \
      }                                                           \
  while (0)

/* Backward compatibility with an undocumented macro.
   Use YYerror or YYUNDEF. */
#define YYERRCODE YYUNDEF


/* Enable debugging if requested.  */
#if YYDEBUG

# ifndef YYFPRINTF
#  include <stdio.h> /* INFRINGES ON USER NAME SPACE */
#  define YYFPRINTF fprintf
# endif

# define YYDPRINTF(Args)                        \
do {                                            \
  if (yydebug)                                  \
    YYFPRINTF Args;                             \
} while (0)




# define YY_SYMBOL_PRINT(Title, Kind, Value, Location)                    \
do {                                                                      \
  if (yydebug)                                                            \
    {                                                                     \
      YYFPRINTF (stderr, "%s ", Title);                                   \
      yy_symbol_print (stderr,                                            \
                  Kind, Value); \
      YYFPRINTF (stderr, "\n");                                           \
    }                                                                     \
} while (0)


/*-----------------------------------.
| Print this symbol's value on YYO.  |
`-----------------------------------*/

static void
yy_symbol_value_print (FILE *yyo,
                       yysymbol_kind_t yykind, YYSTYPE const * const yyvaluep)
{
  FILE *yyoutput = yyo;
  YY_USE (yyoutput);
  if (!yyvaluep)
    return;
  YY_IGNORE_MAYBE_UNINITIALIZED_BEGIN
  YY_USE (yykind);
  YY_IGNORE_MAYBE_UNINITIALIZED_END
}


/*---------------------------.
| Print this symbol on YYO.  |
`---------------------------*/

static void
yy_symbol_print (FILE *yyo,
                 yysymbol_kind_t yykind, YYSTYPE const * const yyvaluep)
{
  YYFPRINTF (yyo, "%s %s (",
             yykind < YYNTOKENS ? "token" : "nterm", yysymbol_name (yykind));

  yy_symbol_value_print (yyo, yykind, yyvaluep);
  YYFPRINTF (yyo, ")");
}

/*------------------------------------------------------------------.
| yy_stack_print -- Print the state stack from its BOTTOM up to its |
| TOP (included).                                                   |
`------------------------------------------------------------------*/

static void
yy_stack_print (yy_state_t *yybottom, yy_state_t *yytop)
{
  YYFPRINTF (stderr, "Stack now");
  for (; yybottom <= yytop; yybottom++)
    {
      int yybot = *yybottom;
      YYFPRINTF (stderr, " %d", yybot);
    }
  YYFPRINTF (stderr, "\n");
}

# define YY_STACK_PRINT(Bottom, Top)                            \
do {                                                            \
  if (yydebug)                                                  \
    yy_stack_print ((Bottom), (Top));                           \
} while (0)


/*------------------------------------------------.
| Report that the YYRULE is going to be reduced.  |
`------------------------------------------------*/

static void
yy_reduce_print (yy_state_t *yyssp, YYSTYPE *yyvsp,
                 int yyrule)
{
  int yylno = yyrline[yyrule];
  int yynrhs = yyr2[yyrule];
  int yyi;
  YYFPRINTF (stderr, "Reducing stack by rule %d (line %d):\n",
             yyrule - 1, yylno);
  /* The symbols being reduced.  */
  for (yyi = 0; yyi < yynrhs; yyi++)
    {
      YYFPRINTF (stderr, "   $%d = ", yyi + 1);
      yy_symbol_print (stderr,
                       YY_ACCESSING_SYMBOL (+yyssp[yyi + 1 - yynrhs]),
                       &yyvsp[(yyi + 1) - (yynrhs)]);
      YYFPRINTF (stderr, "\n");
    }
}

# define YY_REDUCE_PRINT(Rule)          \
do {                                    \
  if (yydebug)                          \
    yy_reduce_print (yyssp, yyvsp, Rule); \
} while (0)

/* Nonzero means print parse trace.  It is left uninitialized so that
   multiple parsers can coexist.  */
int yydebug;
#else /* !YYDEBUG */
# define YYDPRINTF(Args) ((void) 0)
# define YY_SYMBOL_PRINT(Title, Kind, Value, Location)
# define YY_STACK_PRINT(Bottom, Top)
# define YY_REDUCE_PRINT(Rule)
#endif /* !YYDEBUG */


/* YYINITDEPTH -- initial size of the parser's stacks.  */
#ifndef YYINITDEPTH
# define YYINITDEPTH 200
#endif

/* YYMAXDEPTH -- maximum size the stacks can grow to (effective only
   if the built-in stack extension method is used).

   Do not make this value too large; the results are undefined if
   YYSTACK_ALLOC_MAXIMUM < YYSTACK_BYTES (YYMAXDEPTH)
   evaluated with infinite-precision integer arithmetic.  */

#ifndef YYMAXDEPTH
# define YYMAXDEPTH 10000
#endif






/*-----------------------------------------------.
| Release the memory associated to this symbol.  |
`-----------------------------------------------*/

static void
yydestruct (const char *yymsg,
            yysymbol_kind_t yykind, YYSTYPE *yyvaluep)
{
  YY_USE (yyvaluep);
  if (!yymsg)
    yymsg = "Deleting";
  YY_SYMBOL_PRINT (yymsg, yykind, yyvaluep, yylocationp);

  YY_IGNORE_MAYBE_UNINITIALIZED_BEGIN
  YY_USE (yykind);
  YY_IGNORE_MAYBE_UNINITIALIZED_END
}


/* Lookahead token kind.  */
int yychar;

/* The semantic value of the lookahead symbol.  */
YYSTYPE yylval;
/* Number of syntax errors so far.  */
int yynerrs;




/*----------.
| yyparse.  |
`----------*/

int
yyparse (void)
{
    yy_state_fast_t yystate = 0;
    /* Number of tokens to shift before error messages enabled.  */
    int yyerrstatus = 0;

    /* Refer to the stacks through separate pointers, to allow yyoverflow
       to reallocate them elsewhere.  */

    /* Their size.  */
    YYPTRDIFF_T yystacksize = YYINITDEPTH;

    /* The state stack: array, bottom, top.  */
    yy_state_t yyssa[YYINITDEPTH];
    yy_state_t *yyss = yyssa;
    yy_state_t *yyssp = yyss;

    /* The semantic value stack: array, bottom, top.  */
    YYSTYPE yyvsa[YYINITDEPTH];
    YYSTYPE *yyvs = yyvsa;
    YYSTYPE *yyvsp = yyvs;

  int yyn;
  /* The return value of yyparse.  */
  int yyresult;
  /* Lookahead symbol kind.  */
  yysymbol_kind_t yytoken = YYSYMBOL_YYEMPTY;
  /* The variables used to return semantic value and location from the
     action routines.  */
  YYSTYPE yyval;



#define YYPOPSTACK(N)   (yyvsp -= (N), yyssp -= (N))

  /* The number of symbols on the RHS of the reduced rule.
     Keep to zero when no symbol should be popped.  */
  int yylen = 0;

  YYDPRINTF ((stderr, "Starting parse\n"));

  yychar = YYEMPTY; /* Cause a token to be read.  */

  goto yysetstate;


/*------------------------------------------------------------.
| yynewstate -- push a new state, which is found in yystate.  |
`------------------------------------------------------------*/
yynewstate:
  /* In all cases, when you get here, the value and location stacks
     have just been pushed.  So pushing a state here evens the stacks.  */
  yyssp++;


/*--------------------------------------------------------------------.
| yysetstate -- set current state (the top of the stack) to yystate.  |
`--------------------------------------------------------------------*/
yysetstate:
  YYDPRINTF ((stderr, "Entering state %d\n", yystate));
  YY_ASSERT (0 <= yystate && yystate < YYNSTATES);
  YY_IGNORE_USELESS_CAST_BEGIN
  *yyssp = YY_CAST (yy_state_t, yystate);
  YY_IGNORE_USELESS_CAST_END
  YY_STACK_PRINT (yyss, yyssp);

  if (yyss + yystacksize - 1 <= yyssp)
#if !defined yyoverflow && !defined YYSTACK_RELOCATE
    YYNOMEM;
#else
    {
      /* Get the current used size of the three stacks, in elements.  */
      YYPTRDIFF_T yysize = yyssp - yyss + 1;

# if defined yyoverflow
      {
        /* Give user a chance to reallocate the stack.  Use copies of
           these so that the &'s don't force the real ones into
           memory.  */
        yy_state_t *yyss1 = yyss;
        YYSTYPE *yyvs1 = yyvs;

        /* Each stack pointer address is followed by the size of the
           data in use in that stack, in bytes.  This used to be a
           conditional around just the two extra args, but that might
           be undefined if yyoverflow is a macro.  */
        yyoverflow (YY_("memory exhausted"),
                    &yyss1, yysize * YYSIZEOF (*yyssp),
                    &yyvs1, yysize * YYSIZEOF (*yyvsp),
                    &yystacksize);
        yyss = yyss1;
        yyvs = yyvs1;
      }
# else /* defined YYSTACK_RELOCATE */
      /* Extend the stack our own way.  */
      if (YYMAXDEPTH <= yystacksize)
        YYNOMEM;
      yystacksize *= 2;
      if (YYMAXDEPTH < yystacksize)
        yystacksize = YYMAXDEPTH;

      {
        yy_state_t *yyss1 = yyss;
        union yyalloc *yyptr =
          YY_CAST (union yyalloc *,
                   YYSTACK_ALLOC (YY_CAST (YYSIZE_T, YYSTACK_BYTES (yystacksize))));
        if (! yyptr)
          YYNOMEM;
        YYSTACK_RELOCATE (yyss_alloc, yyss);
        YYSTACK_RELOCATE (yyvs_alloc, yyvs);
#  undef YYSTACK_RELOCATE
        if (yyss1 != yyssa)
          YYSTACK_FREE (yyss1);
      }
# endif

      yyssp = yyss + yysize - 1;
      yyvsp = yyvs + yysize - 1;

      YY_IGNORE_USELESS_CAST_BEGIN
      YYDPRINTF ((stderr, "Stack size increased to %ld\n",
                  YY_CAST (long, yystacksize)));
      YY_IGNORE_USELESS_CAST_END

      if (yyss + yystacksize - 1 <= yyssp)
        YYABORT;
    }
#endif /* !defined yyoverflow && !defined YYSTACK_RELOCATE */


  if (yystate == YYFINAL)
    YYACCEPT;

  goto yybackup;


/*-----------.
| yybackup.  |
`-----------*/
yybackup:
  /* Do appropriate processing given the current state.  Read a
     lookahead token if we need one and don't already have one.  */

  /* First try to decide what to do without reference to lookahead token.  */
  yyn = yypact[yystate];
  if (yypact_value_is_default (yyn))
    goto yydefault;

  /* Not known => get a lookahead token if don't already have one.  */

  /* YYCHAR is either empty, or end-of-input, or a valid lookahead.  */
  if (yychar == YYEMPTY)
    {
      YYDPRINTF ((stderr, "Reading a token\n"));
      yychar = yylex ();
    }

  if (yychar <= YYEOF)
    {
      yychar = YYEOF;
      yytoken = YYSYMBOL_YYEOF;
      YYDPRINTF ((stderr, "Now at end of input.\n"));
    }
  else if (yychar == YYerror)
    {
      /* The scanner already issued an error message, process directly
         to error recovery.  But do not keep the error token as
         lookahead, it is too special and may lead us to an endless
         loop in error recovery. */
      yychar = YYUNDEF;
      yytoken = YYSYMBOL_YYerror;
      goto yyerrlab1;
    }
  else
    {
      yytoken = YYTRANSLATE (yychar);
      YY_SYMBOL_PRINT ("Next token is", yytoken, &yylval, &yylloc);
    }

  /* If the proper action on seeing token YYTOKEN is to reduce or to
     detect an error, take that action.  */
  yyn += yytoken;
  if (yyn < 0 || YYLAST < yyn || yycheck[yyn] != yytoken)
    goto yydefault;
  yyn = yytable[yyn];
  if (yyn <= 0)
    {
      if (yytable_value_is_error (yyn))
        goto yyerrlab;
      yyn = -yyn;
      goto yyreduce;
    }

  /* Count tokens shifted since error; after three, turn off error
     status.  */
  if (yyerrstatus)
    yyerrstatus--;

  /* Shift the lookahead token.  */
  YY_SYMBOL_PRINT ("Shifting", yytoken, &yylval, &yylloc);
  yystate = yyn;
  YY_IGNORE_MAYBE_UNINITIALIZED_BEGIN
  *++yyvsp = yylval;
  YY_IGNORE_MAYBE_UNINITIALIZED_END

  /* Discard the shifted token.  */
  yychar = YYEMPTY;
  goto yynewstate;


/*-----------------------------------------------------------.
| yydefault -- do the default action for the current state.  |
`-----------------------------------------------------------*/
yydefault:
  yyn = yydefact[yystate];
  if (yyn == 0)
    goto yyerrlab;
  goto yyreduce;


/*-----------------------------.
| yyreduce -- do a reduction.  |
`-----------------------------*/
yyreduce:
  /* yyn is the number of a rule to reduce with.  */
  yylen = yyr2[yyn];

  /* If YYLEN is nonzero, implement the default value of the action:
     '$$ = $1'.

     Otherwise, the following line sets YYVAL to garbage.
     This behavior is undocumented and Bison
     users should not rely upon it.  Assigning to YYVAL
     unconditionally makes the parser a bit smaller, and it avoids a
     GCC warning that YYVAL may be used uninitialized.  */
  yyval = yyvsp[1-yylen];


  YY_REDUCE_PRINT (yyn);
  switch (yyn)
    {

#line 4214 "/work/h74/build-unity/gen/script_grammar.c"

      default: break;
    }
  /* User semantic actions sometimes alter yychar, and that requires
     that yytoken be updated with the new translation.  We take the
     approach of translating immediately before every use of yytoken.
     One alternative is translating here after every semantic action,
     but that translation would be missed if the semantic action invokes
     YYABORT, YYACCEPT, or YYERROR immediately after altering yychar or
     if it invokes YYBACKUP.  In the case of YYABORT or YYACCEPT, an
     incorrect destructor might then be invoked immediately.  In the
     case of YYERROR or YYBACKUP, subsequent parser actions might lead
     to an incorrect destructor call or verbose syntax error message
     before the lookahead is translated.  */
  YY_SYMBOL_PRINT ("-> $$ =", YY_CAST (yysymbol_kind_t, yyr1[yyn]), &yyval, &yyloc);

  YYPOPSTACK (yylen);
  yylen = 0;

  *++yyvsp = yyval;

  /* Now 'shift' the result of the reduction.  Determine what state
     that goes to, based on the state we popped back to and the rule
     number reduced by.  */
  {
    const int yylhs = yyr1[yyn] - YYNTOKENS;
    const int yyi = yypgoto[yylhs] + *yyssp;
    yystate = (0 <= yyi && yyi <= YYLAST && yycheck[yyi] == *yyssp
               ? yytable[yyi]
               : yydefgoto[yylhs]);
  }

  goto yynewstate;


/*--------------------------------------.
| yyerrlab -- here on detecting error.  |
`--------------------------------------*/
yyerrlab:
  /* Make sure we have latest lookahead translation.  See comments at
     user semantic actions for why this is necessary.  */
  yytoken = yychar == YYEMPTY ? YYSYMBOL_YYEMPTY : YYTRANSLATE (yychar);
  /* If not already recovering from an error, report this error.  */
  if (!yyerrstatus)
    {
      ++yynerrs;
      yyerror (YY_("syntax error"));
    }

  if (yyerrstatus == 3)
    {
      /* If just tried and failed to reuse lookahead token after an
         error, discard it.  */

      if (yychar <= YYEOF)
        {
          /* Return failure if at end of input.  */
          if (yychar == YYEOF)
            YYABORT;
        }
      else
        {
          yydestruct ("Error: discarding",
                      yytoken, &yylval);
          yychar = YYEMPTY;
        }
    }

  /* Else will try to reuse lookahead token after shifting the error
     token.  */
  goto yyerrlab1;


/*---------------------------------------------------.
| yyerrorlab -- error raised explicitly by YYERROR.  |
`---------------------------------------------------*/
yyerrorlab:
  /* Pacify compilers when the user code never invokes YYERROR and the
     label yyerrorlab therefore never appears in user code.  */
  if (0)
    YYERROR;
  ++yynerrs;

  /* Do not reclaim the symbols of the rule whose action triggered
     this YYERROR.  */
  YYPOPSTACK (yylen);
  yylen = 0;
  YY_STACK_PRINT (yyss, yyssp);
  yystate = *yyssp;
  goto yyerrlab1;


/*-------------------------------------------------------------.
| yyerrlab1 -- common code for both syntax error and YYERROR.  |
`-------------------------------------------------------------*/
yyerrlab1:
  yyerrstatus = 3;      /* Each real token shifted decrements this.  */

  /* Pop stack until we find a state that shifts the error token.  */
  for (;;)
    {
      yyn = yypact[yystate];
      if (!yypact_value_is_default (yyn))
        {
          yyn += YYSYMBOL_YYerror;
          if (0 <= yyn && yyn <= YYLAST && yycheck[yyn] == YYSYMBOL_YYerror)
            {
              yyn = yytable[yyn];
              if (0 < yyn)
                break;
            }
        }

      /* Pop the current state because it cannot handle the error token.  */
      if (yyssp == yyss)
        YYABORT;


      yydestruct ("Error: popping",
                  YY_ACCESSING_SYMBOL (yystate), yyvsp);
      YYPOPSTACK (1);
      yystate = *yyssp;
      YY_STACK_PRINT (yyss, yyssp);
    }

  YY_IGNORE_MAYBE_UNINITIALIZED_BEGIN
  *++yyvsp = yylval;
  YY_IGNORE_MAYBE_UNINITIALIZED_END


  /* Shift the error token.  */
  YY_SYMBOL_PRINT ("Shifting", YY_ACCESSING_SYMBOL (yyn), yyvsp, yylsp);

  yystate = yyn;
  goto yynewstate;


/*-------------------------------------.
| yyacceptlab -- YYACCEPT comes here.  |
`-------------------------------------*/
yyacceptlab:
  yyresult = 0;
  goto yyreturnlab;


/*-----------------------------------.
| yyabortlab -- YYABORT comes here.  |
`-----------------------------------*/
yyabortlab:
  yyresult = 1;
  goto yyreturnlab;


/*-----------------------------------------------------------.
| yyexhaustedlab -- YYNOMEM (memory exhaustion) comes here.  |
`-----------------------------------------------------------*/
yyexhaustedlab:
  yyerror (YY_("memory exhausted"));
  yyresult = 2;
  goto yyreturnlab;


/*----------------------------------------------------------.
| yyreturnlab -- parsing is finished, clean up and return.  |
`----------------------------------------------------------*/
yyreturnlab:
  if (yychar != YYEMPTY)
    {
      /* Make sure we have latest lookahead translation.  See comments at
         user semantic actions for why this is necessary.  */
      yytoken = YYTRANSLATE (yychar);
      yydestruct ("Cleanup: discarding lookahead",
                  yytoken, &yylval);
    }
  /* Do not reclaim the symbols of the rule whose action triggered
     this YYABORT or YYACCEPT.  */
  YYPOPSTACK (yylen);
  YY_STACK_PRINT (yyss, yyssp);
  while (yyssp != yyss)
    {
      yydestruct ("Cleanup: popping",
                  YY_ACCESSING_SYMBOL (+*yyssp), yyvsp);
      YYPOPSTACK (1);
    }
#ifndef yyoverflow
  if (yyss != yyssa)
    YYSTACK_FREE (yyss);
#endif

  return yyresult;
}

