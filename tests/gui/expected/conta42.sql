Insert into Produtos (codigo, descricao, servico) values (7,'Filé à parmegiana',0)
Insert into cadcomanda (Numero, TaxaServico) values (42,'S')
Insert into Comanda (Comanda, idpedido, Garcon, Ocupantes, Inicio, Mesa) values (42, 314, 'Ana', 2, '2024-03-05 18:02:09', 7)
Insert into ItemComanda (Comanda, idProduto, qtde, valor) values (42,7,3,10.00)
